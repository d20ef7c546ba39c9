// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "reelkeeper/Version.h"
#include "Output.h"

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
    "  ls [-z] FOLDER            list the videos of a folder: name, title, size, date\n"
    "  drives [-z] [--volume DIR]...\n"
    "                            list the drives and which of them hold a PSP\n"
    "  next-name [-z] FOLDER     print the next free PSP file name in a PSP video folder\n"
    "  thumbnail [--force] [-z] VIDEO [OUT]\n"
    "                            make the video's 160x120 PSP thumbnail from a key frame;\n"
    "                            OUT defaults to the .THM beside VIDEO, kept without --force\n"
    "  convert [--profile avc480|mpeg4] IN OUT\n"
    "                            make any video into a file the PSP plays, titled after IN:\n"
    "                            avc480 (default): H.264 480x272 (system software 3.30 and later),\n"
    "                            mpeg4: MPEG-4 320x240 (every PSP); OUT is never replaced\n"
    "  check [--json] [-z] FILE...\n"
    "                            tell whether the PSP plays each file: \"FILE<tab>plays\" or\n"
    "                            \"FILE<tab>REASON; REASON\" (\"not a video\", \"can't judge: ...\");\n"
    "                            reads headers only; exit status 1 unless every file plays.\n"
    "                            --json prints one JSON object per file instead: file, plays,\n"
    "                            verdict, reasons, error, container, size, video_tracks,\n"
    "                            audio_tracks, other_tracks, video {codec, profile, level,\n"
    "                            width, height, display_aspect, rotation, frame_rate,\n"
    "                            ref_frames, slices, entropy, bit_depth, chroma}, bitrate_kbps\n"
    "                            and audio {codec, profile, sample_rate, channels}, each\n"
    "                            where the file says\n"
    "  copy-to-psp [--psp ROOT] [--next-num N] [--yes|--no] [--convert ask|always|never]\n"
    "              [--profile avc480|mpeg4] [-z] FILE...\n"
    "                            copy videos (each with its .THM) to the PSP under PSP names;\n"
    "                            a video the PSP can't play is converted when --convert says so\n"
    "                            (ask: a question on a terminal, else copied as it is); a video\n"
    "                            without a title gets its container's or its file name on the PSP\n"
    "  move-to-psp [...the same options...] FILE...\n"
    "                            the same, then remove each video that arrived whole\n"
    "                            (a converted video's source is kept)\n"
    "  copy-from-psp [--psp ROOT] [--yes|--no] [-z] FOLDER NAME...\n"
    "                            copy PSP videos into FOLDER, named by their titles\n"
    "  move-from-psp [--psp ROOT] [--yes|--no] [-z] FOLDER NAME...\n"
    "                            the same, then remove each video from the PSP\n"
    "  delete [--psp ROOT] [--yes|--no] [-z] NAME...\n"
    "                            delete videos (and their thumbnails) from the PSP\n"
    "\n"
    "Transfer options:\n"
    "  --psp ROOT                the PSP's drive root (a mount point, or a folder holding a\n"
    "                            copy of a memory stick); default: the first attached PSP\n"
    "  --next-num N              the number of the first video sent to the PSP (\"Next Num\")\n"
    "  --yes, --no               answer every question (overwrite, delete); without them\n"
    "                            questions are asked on the terminal, or answered No\n"
    "NAMEs are file names in the PSP video folder (MP_ROOT/100MNV01). Each video that\n"
    "lands prints a line \"SOURCE<tab>TARGET\"; messages go to stderr. Exit status: 0 when\n"
    "every item was done or declined, 1 when any failed (or stdout could not be written),\n"
    "2 for wrong arguments, 130/143 when stopped by SIGINT/SIGTERM.\n"
    "\n"
    "Names in output lines have tab, newline and backslash written as \\t, \\n and \\\\,\n"
    "other control characters and bytes that are not UTF-8 as \\xHH. With -z (--zero)\n"
    "each field is written as it is and ended by a NUL instead.\n"
    "\n"
    "Options:\n"
    "  -h, --help                show this help and exit\n"
    "  -V, --version             show the version and exit\n";

int run(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const cli::Args args(argv + 2, argv + argc);

    if (command == "-h" || command == "--help" || command == "help") {
        cli::print(kUsage);
        return 0;
    }
    if (command == "-V" || command == "--version") {
        cli::print("reelkeeper-cli " REELKEEPER_VERSION "\n");
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
    if (command == "thumbnail")
        return cli::runThumbnail(args);
    if (command == "convert")
        return cli::runConvert(args);
    if (command == "check")
        return cli::runCheck(args);
    if (command == "copy-to-psp" || command == "move-to-psp" || command == "copy-from-psp"
        || command == "move-from-psp" || command == "delete")
        return cli::runTransfer(command, args);

    std::fprintf(stderr, "reelkeeper-cli: unknown command '%s'\n\n", command.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    return cli::closeStdout(run(argc, argv));
}
