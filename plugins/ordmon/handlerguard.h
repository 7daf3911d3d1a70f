#pragma once
// Handlers, timers and menu commands of the window run their bodies through guardedHandler: an
// error (a database error above all) is written to Error.Log and shown in an error box, and
// never crosses into the host's event loop.
#include "core/errlog.h"
#include "core/prompt.h"

#include <QString>

#include <exception>

namespace ordmon {

inline void reportHandlerError(const QString &caption, const QString &message)
{
    try {
        WriteErrLog(message);
    } catch (...) {
    }
    try {
        wage::prompt().error(message, caption);
    } catch (...) {
    }
}

template <typename F>
bool guardedHandler(const QString &caption, F &&body)
{
    try {
        body();
        return true;
    } catch (const std::exception &e) {
        reportHandlerError(caption, QString::fromUtf8(e.what()));
    } catch (...) {
        reportHandlerError(caption, QStringLiteral("未知错误"));
    }
    return false;
}

} // namespace ordmon
