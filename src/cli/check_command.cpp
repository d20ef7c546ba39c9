// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "Output.h"

#include "media/Media.h"
#include "platform/PathCodec.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <string>

namespace cli {

namespace {

const char kCheckUsage[] = "Usage: reelkeeper-cli check [--json] [-z] FILE...\n";

} // namespace

int runCheck(const Args& given)
{
    Args args = given;
    const bool zero = takeZeroOption(args);
    bool json = false;
    Args files;
    for (const std::string& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return std::fputs(kCheckUsage, stderr), 2;
        else
            files.push_back(arg);
    }
    if (files.empty())
        return std::fputs(kCheckUsage, stderr), 2;
    int status = 0;
    for (const std::string& file : files) {
        const QByteArray bytes = QByteArray::fromStdString(file);
        const QString path = platform::decodePath(bytes);
        QString error;
        const std::optional<media::Facts> facts = media::probe(path, &error);
        media::Verdict verdict;
        if (facts) {
            verdict = media::judgeFacts(*facts);
        } else {
            verdict.error = error;
            std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escaped(bytes).c_str(), platform::encodePath(error).constData());
        }
        if (!verdict.plays())
            status = 1;
        if (json) {
            // One object per line (or per NUL with -z); the name escaped as in lines.
            QJsonObject object = media::toJson(facts, verdict);
            object.insert(QStringLiteral("file"), QString::fromStdString(escaped(bytes)));
            const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
            print(std::string(text.constData(), static_cast<size_t>(text.size())));
            print(zero ? std::string_view("\0", 1) : std::string_view("\n"));
        } else {
            writeRecord(zero, {bytes, verdict.text().toUtf8()});
        }
    }
    return status;
}

} // namespace cli
