#include "Commands.h"

#include <cstdio>

namespace cli {

int runDrives(const Args&)
{
    std::fputs("reelkeeper-cli: this command is not available yet\n", stderr);
    return 1;
}

} // namespace cli
