#pragma once
// A titled group of radio buttons addressed by item index, like the designer's radio groups.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace priceadj {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString &title, const QStringList &items, int itemIndex, QWidget *parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
    QString itemText() const;
    QStringList items() const { return m_items; }

private:
    QButtonGroup *m_group;
    QStringList m_items;
};

} // namespace priceadj
