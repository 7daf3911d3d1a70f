#include "pieceopt/hostrestart.h"

#include "net/alert.h"

namespace pieceopt {

namespace {
std::function<void()> &hook()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void restartHost()
{
    if (hook())
        hook()();
    else
        KillApplication(true);
}

void setRestartHook(std::function<void()> h)
{
    hook() = std::move(h);
}

} // namespace pieceopt
