// An Alert.dll that lacks ShowModMess; SetConn leaves a mark beside the DLL.
#include <dlfcn.h>

#include <cstdio>
#include <string>

extern "C" __attribute__((visibility("default"))) void SetConn(void *connection)
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&SetConn), &info) || !info.dli_fname)
        return;
    std::string path = info.dli_fname;
    path = path.substr(0, path.rfind('/') + 1) + "SetConn.mark";
    if (FILE *f = std::fopen(path.c_str(), "a")) {
        std::fputs(connection ? "set\n" : "null\n", f);
        std::fclose(f);
    }
}
