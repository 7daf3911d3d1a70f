#pragma once
// Restarting the host after the monitoring table was made. A host may offer its own way on the
// application object (property "wage.restartHost": the address of a `void ()` function), e.g. to
// start again in the same process for an unattended run, or to record the request in a test;
// without one the process is restarted through KillApplication.
#include "net/alert.h"

#include <QCoreApplication>
#include <QVariant>

namespace ordmon {

inline void restartHost()
{
    if (QCoreApplication *app = QCoreApplication::instance()) {
        const QVariant hook = app->property("wage.restartHost");
        if (hook.isValid() && hook.value<quintptr>() != 0) {
            reinterpret_cast<void (*)()>(hook.value<quintptr>())();
            return;
        }
    }
    KillApplication(true);
}

} // namespace ordmon
