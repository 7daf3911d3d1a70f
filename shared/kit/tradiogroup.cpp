#include "kit/tradiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent)
    : QGroupBox(caption, parent), m_items(items), m_group(new QButtonGroup(this)), m_grid(new QGridLayout(this))
{
    m_group->setExclusive(true);
    m_grid->setContentsMargins(6, 2, 6, 2);
    m_grid->setVerticalSpacing(2);
    columns = qMax(1, columns);
    const int rows = (items.size() + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items.at(i), this);
        b->setObjectName(QStringLiteral("item%1").arg(i));
        m_group->addButton(b, i);
        // Filled column by column, as the items of a multi-column radio group are.
        m_grid->addWidget(b, i % qMax(1, rows), i / qMax(1, rows));
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        if (id != m_index) {
            m_index = id;
            emit Click();
        }
    });
}

int TRadioGroup::ItemIndex() const
{
    return m_index;
}

void TRadioGroup::setItemIndex(int index)
{
    if (index < -1 || index >= m_items.size())
        index = -1;
    if (index == m_index)
        return;
    m_index = index;
    if (index < 0) {
        // An exclusive group keeps one button checked; lift the exclusion to clear it.
        m_group->setExclusive(false);
        for (QAbstractButton *b : m_group->buttons())
            b->setChecked(false);
        m_group->setExclusive(true);
    } else {
        m_group->button(index)->setChecked(true);
    }
    emit Click();
}

QRadioButton *TRadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton *>(m_group->button(index));
}
