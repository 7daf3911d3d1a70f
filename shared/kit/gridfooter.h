#pragma once
// The footer row under the data grid: "合计" in the row-number area and the sum of each footer
// column, kept under its column while columns are resized, moved or scrolled.
#include <QStringList>
#include <QWidget>

class QTableView;

namespace wage {

class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(QTableView *view, QWidget *parent = nullptr);
    // One text per view column (empty: nothing shown).
    void setTexts(const QStringList &texts);
    QStringList texts() const { return m_texts; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QTableView *m_view;
    QStringList m_texts;
};

} // namespace wage
