#pragma once
// Ending the host and starting it again once a setting that only takes effect at start-up
// changed. Replaceable, in order of precedence: a hook set in-process (a test driving a window),
// or a host's own way on the application object (property "wage.restartHost": the address of a
// `void ()` function, e.g. starting again in the same process for an unattended run); without
// either the process is restarted through KillApplication.
#include <functional>

namespace wage {

void restartHost();
void setRestartHook(std::function<void()> hook);

} // namespace wage
