#pragma once
// Runs the body of an event handler so that nothing it throws leaves the handler: the message
// is written to Error.Log and shown as an error box. Returns false when the body threw.
#include "core/errlog.h"
#include "core/prompt.h"

#include <exception>

namespace wage {

template <typename Body>
bool guardHandler(Body &&body, const QString &caption = QStringLiteral("提示"))
{
    QString message;
    try {
        body();
        return true;
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("未知错误");
    }
    try {
        WriteTimedLog(message);
    } catch (...) {
    }
    prompt().error(message, caption);
    return false;
}

} // namespace wage
