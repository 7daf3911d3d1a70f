#pragma once
// Keeps errors inside event handlers. Qt cannot carry an exception out of a handler, timer or
// signal: one that escapes ends the host process, with every plug-in in it. A handler body run
// through guardHandler that throws (a database refusing a post, a locked file, a dropped link)
// shows the error's own message through the prompt service, writes it to Error.Log, and the
// handler returns normally; the state the body left (a pending edit, say) stays for the user to
// correct.
//
//     void TGxtzForm::BitBtn7Click()
//     {
//         wage::guardHandler(windowTitle(), [&] { ... });
//     }
#include <QString>

#include <exception>
#include <utility>

namespace wage {

// Shows `message` as an error box with `caption` and logs it; never throws.
void reportHandlerError(const QString &caption, const QString &message) noexcept;

// Runs `body`; true when it finished, false when it threw (the error already shown and logged).
template <typename Body>
bool guardHandler(const QString &caption, Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const std::exception &e) {
        reportHandlerError(caption, QString::fromUtf8(e.what()));
    } catch (...) {
        reportHandlerError(caption, QStringLiteral("发生未知错误。"));
    }
    return false;
}

} // namespace wage
