#include "core/handlerguard.h"

#include "core/errlog.h"
#include "core/prompt.h"

namespace wage {

void reportHandlerError(const QString &caption, const QString &message) noexcept
{
    try {
        WriteTimedLog(message);
    } catch (...) {
        // A log that cannot be written must not hide the message from the user.
    }
    try {
        prompt().error(message, caption.isEmpty() ? systemCaption() : caption);
    } catch (...) {
    }
}

} // namespace wage
