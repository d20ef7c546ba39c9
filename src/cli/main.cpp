#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "Usage: reelkeeper-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Manage the MP4 videos of a PSP memory stick from the command line.\n"
    "\n"
    "Commands:\n"
    "  title get FILE...         print the PSP title of each video (one line each)\n"
    "  title set FILE TITLE      write TITLE into the video, in place\n"
    "  title clear FILE          remove the title from the video\n"
    "  ls FOLDER                 list the videos of a folder: name, title, size, date\n"
    "  drives [--volume DIR]...  list the drives and which of them hold a PSP\n"
    "  next-name FOLDER          print the next free PSP file name in a PSP video folder\n"
    "\n"
    "Options:\n"
    "  -h, --help                show this help and exit\n"
    "  -V, --version             show the version and exit\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const cli::Args args(argv + 2, argv + argc);

    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "-V" || command == "--version") {
        std::printf("reelkeeper-cli %s\n", REELKEEPER_VERSION);
        return 0;
    }
    if (command == "title")
        return cli::runTitle(args);
    if (command == "ls")
        return cli::runLs(args);
    if (command == "drives")
        return cli::runDrives(args);
    if (command == "next-name")
        return cli::runNextName(args);

    std::fprintf(stderr, "reelkeeper-cli: unknown command '%s'\n\n", command.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}
