// PLACEHOLDER: replaced by the real sub-command.
#include <cstdio>
#include "commands.h"
int RunMain(int, char**)
{
    std::fprintf(stderr, "not built yet\n");
    return 1;
}
