#pragma once
// The old name of the shared handler guard, for code not yet moved to wage::guardHandler.
#include "core/handlerguard.h"

#include <utility>

namespace ordmon {

template <typename F>
bool guardedHandler(const QString &caption, F &&body) noexcept
{
    return wage::guardHandler(caption, std::forward<F>(body));
}

} // namespace ordmon
