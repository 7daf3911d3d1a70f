#pragma once
// The radio group of the plug-in windows: a titled frame of exclusive items laid out in
// columns, with an item index (-1: none selected). Setting the index from code counts as a
// choice, as a click does: Click is raised whenever the index changes, never when it stays.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString &caption, const QStringList &items, int columns = 1, QWidget *parent = nullptr);

    int ItemIndex() const;
    void setItemIndex(int index);
    QStringList Items() const { return m_items; }
    QString itemText(int index) const { return m_items.value(index); }
    QRadioButton *button(int index) const;
    // The grid the items sit in, for widgets placed beside an item.
    QGridLayout *grid() const { return m_grid; }

signals:
    void Click();

private:
    QStringList m_items;
    QButtonGroup *m_group;
    QGridLayout *m_grid;
    int m_index = -1;
};
