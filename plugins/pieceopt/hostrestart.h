#pragma once
// Ending the host and starting it again once order mode changed. Replaceable so that the
// rest of the dialog can run inside a test process.
#include <functional>

namespace pieceopt {

// KillApplication with restart, unless a replacement is set.
void restartHost();
void setRestartHook(std::function<void()> hook);

} // namespace pieceopt
