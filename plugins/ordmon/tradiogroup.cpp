#include "ordmon/tradiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString &name, const QString &title, const QStringList &items, int columns,
                         QWidget *parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this))
{
    setObjectName(name);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, title.isEmpty() ? 2 : 4, 4, 2);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    const int cols = qMax(1, columns);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        button->setObjectName(name + QLatin1Char('_') + QString::number(i));
        m_group->addButton(button, i);
        grid->addWidget(button, i / cols, i % cols);
        m_buttons.append(button);
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int) { emit clicked(); });
}

int TRadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (QRadioButton *b = m_buttons.value(index)) {
        b->setChecked(true);
        return;
    }
    // No item: an exclusive group cannot uncheck its checked button directly.
    m_group->setExclusive(false);
    for (QRadioButton *b : m_buttons)
        b->setChecked(false);
    m_group->setExclusive(true);
}

QString TRadioGroup::itemText(int index) const
{
    QRadioButton *b = m_buttons.value(index);
    return b ? b->text() : QString();
}
