#include "priceadj/radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace priceadj {

RadioGroup::RadioGroup(const QString &title, const QStringList &items, int itemIndex, QWidget *parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this)), m_items(items)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        button->setObjectName(objectName() + QString::number(i));
        m_group->addButton(button, i);
        layout->addWidget(button);
    }
    setItemIndex(itemIndex);
}

int RadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton *button = m_group->button(index))
        button->setChecked(true);
}

QString RadioGroup::itemText() const
{
    return m_items.value(itemIndex());
}

} // namespace priceadj
