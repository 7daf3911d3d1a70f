// tools.exe: an outside tool of the wage system. It only runs until it is told to end, which
// is all the updater needs of it (it ends it before touching the program directory).
#include <csignal>
#include <unistd.h>

int main()
{
    std::signal(SIGTERM, SIG_DFL);
    for (;;)
        ::pause();
}
