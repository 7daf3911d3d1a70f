/* An outside program calling smtpnote.dll: loads it with the platform loader, reads the ten
 * arguments of SendMess as lines of standard input (bytes as they are, GBK), calls it and
 * prints the result.
 * Usage: sendmess_cli <path of smtpnote.dll> < ten lines
 * Exit code: 0 result true, 1 result false, 2 the library or its export did not load. */
#include "smtpnote.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    static char lines[10][4096];
    const char *args[10];
    void *lib;
    SendMessProc send;
    unsigned char result;
    int i;

    if (argc != 2) {
        fprintf(stderr, "usage: %s <smtpnote.dll>\n", argv[0]);
        return 2;
    }
    for (i = 0; i < 10; ++i) {
        size_t n;
        if (!fgets(lines[i], sizeof lines[i], stdin))
            lines[i][0] = '\0';
        n = strlen(lines[i]);
        while (n > 0 && (lines[i][n - 1] == '\n' || lines[i][n - 1] == '\r'))
            lines[i][--n] = '\0';
        args[i] = lines[i];
    }
    lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    send = (SendMessProc)dlsym(lib, "SendMess");
    if (!send) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    result = send(args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7], args[8], args[9]);
    printf("SendMess=%d\n", (int)result);
    dlclose(lib);
    return result ? 0 : 1;
}
