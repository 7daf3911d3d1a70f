#pragma once
// A radio group (RadioGroup1 ...): titled box of exclusive items in columns with an item index
// (-1: none chosen). Choosing an item by the user or by setItemIndex sends clicked() only for
// the user's click; the owner applies the item itself after setItemIndex.
#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString &name, const QString &title, const QStringList &items, int columns,
                QWidget *parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    QString itemText(int index) const;
    int count() const { return m_buttons.size(); }
    // The radio button of an item, named <group>_<index> (automation clicks it by that name).
    QRadioButton *button(int index) const { return m_buttons.value(index); }

signals:
    void clicked();

private:
    QButtonGroup *m_group;
    QList<QRadioButton *> m_buttons;
};
