#pragma once
// The window's radio groups carry the names of their form, and each item is named
// <group>_<index> so that automation and tests can click it by name.
#include "kit/tradiogroup.h"

#include <QRadioButton>

namespace ordmon {

inline TRadioGroup *namedRadioGroup(const QString &name, const QString &caption, const QStringList &items,
                                    QWidget *parent)
{
    auto *group = new TRadioGroup(caption, items, int(items.size()), parent);
    group->setObjectName(name);
    for (int i = 0; i < items.size(); ++i)
        group->button(i)->setObjectName(name + QLatin1Char('_') + QString::number(i));
    return group;
}

} // namespace ordmon
