// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "Output.h"

#include "mp4title/Title.h"

#include <QByteArray>

#include <cstdio>
#include <string>

namespace cli {

namespace {

const char kTitleUsage[] =
    "Usage: reelkeeper-cli title get FILE...\n"
    "       reelkeeper-cli title set FILE TITLE\n"
    "       reelkeeper-cli title clear FILE\n";

int usage()
{
    std::fputs(kTitleUsage, stderr);
    return 2;
}

int getTitles(const Args& files)
{
    int status = 0;
    for (const std::string& file : files) {
        const mp4title::ReadResult r = mp4title::readTitle(file);
        if (r.status != mp4title::ReadStatus::Ok) {
            // Keep one line per file on stdout so that lines match the arguments.
            print("\n");
            std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escaped(QByteArray::fromStdString(file)).c_str(), mp4title::describe(r.status));
            status = 1;
            continue;
        }
        std::string line = r.title;
        for (char& ch : line)
            if (ch == '\n' || ch == '\r')
                ch = ' '; // one line per file, whatever the title holds
        print(line + '\n');
    }
    return status;
}

int report(const std::string& file, const mp4title::WriteResult& r)
{
    if (r.ok)
        return 0;
    std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escaped(QByteArray::fromStdString(file)).c_str(), r.reason.c_str());
    return 1;
}

} // namespace

int runTitle(const Args& args)
{
    if (args.empty())
        return usage();
    const std::string& action = args[0];
    if (action == "get" && args.size() >= 2)
        return getTitles(Args(args.begin() + 1, args.end()));
    if (action == "set" && args.size() == 3)
        return report(args[1], mp4title::writeTitle(args[1], args[2]));
    if (action == "clear" && args.size() == 2)
        return report(args[1], mp4title::clearTitle(args[1]));
    return usage();
}

} // namespace cli
