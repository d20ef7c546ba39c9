// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "storage/Catalogue.h"

#include "mp4title/Title.h"
#include "platform/AppDir.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QDateTime>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace storage {
namespace {

constexpr int kMaxDateLength = 127;

void appendNumber(QString& out, int value, int width, bool dropZeros)
{
    if (dropZeros)
        out += QString::number(value);
    else
        out += QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

QString videoPattern(const QString& folder)
{
    return folder + QStringLiteral("/*.mp4");
}

QString listedVideoPattern(const QString& folder)
{
    return folder + u'/' + QLatin1String(kListedVideoGlobs);
}

bool isMp4Name(const QString& name)
{
    return name.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive);
}

QString FormatDecimal2(double x)
{
    // Six decimals first (rounded), then the first two of them as they stand.
    // The whole part stays in floating point so no length can overflow it.
    double whole = std::floor(x);
    long long millionths = std::llround((x - whole) * 1000000.0);
    if (millionths >= 1000000) {
        whole += 1;
        millionths -= 1000000;
    }
    return QString::number(whole, 'f', 0) + u'.' + QStringLiteral("%1").arg(millionths / 10000, 2, 10, QLatin1Char('0'));
}

QString FormatSizeText(std::uint64_t n)
{
    if (n <= 1024)
        return QStringLiteral("%1 BYTES").arg(n);
    const std::uint64_t k = n / 1024;
    if (k > 1024)
        return FormatDecimal2(static_cast<double>(k) / 1024.0) + QStringLiteral(" MB");
    return FormatDecimal2(static_cast<double>(n) / 1024.0) + QStringLiteral(" KB");
}

QString FormatFileTime(std::time_t stamp, const char* format)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(stamp), Qt::LocalTime);
    if (!local.isValid())
        return {};
    const QDate date = local.date();
    const QTime time = local.time();
    QString out;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += QLatin1Char(*p);
            continue;
        }
        ++p;
        bool dropZeros = false;
        if (*p == '#') {
            dropZeros = true;
            ++p;
        }
        switch (*p) {
        case 'Y': out += QString::number(date.year()); break;
        case 'y': appendNumber(out, date.year() % 100, 2, dropZeros); break;
        case 'm': appendNumber(out, date.month(), 2, dropZeros); break;
        case 'd': appendNumber(out, date.day(), 2, dropZeros); break;
        case 'H': appendNumber(out, time.hour(), 2, dropZeros); break;
        case 'I': appendNumber(out, time.hour() % 12 == 0 ? 12 : time.hour() % 12, 2, dropZeros); break;
        case 'M': appendNumber(out, time.minute(), 2, dropZeros); break;
        case 'S': appendNumber(out, time.second(), 2, dropZeros); break;
        case 'p': out += time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"); break;
        case '%': out += QLatin1Char('%'); break;
        default: return {}; // unknown conversion: no text, as a failed conversion gives
        }
    }
    if (out.size() > kMaxDateLength)
        return {};
    return out;
}

QString thumbnailPathFor(const QString& videoPath)
{
    // Only a "." of the file name starts its extension, never one of a folder.
    const qsizetype dot = videoPath.lastIndexOf(u'.');
    return (dot <= videoPath.lastIndexOf(u'/') ? videoPath : videoPath.left(dot)) + QStringLiteral(".THM");
}

int scanPattern(const QString& pattern, const ScanHooks& hooks)
{
    platform::FileSystem& fs = platform::fileSystem();
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : pattern.left(slash == 0 ? 1 : slash);
    const QString glob = pattern.mid(slash + 1);
    // Several globs: one listing of everything, each name matched against them.
    const QStringList globs = glob.split(u';', Qt::SkipEmptyParts);

    QSet<QString> seen;
    int added = 0;
    for (const platform::DirEntry& item : fs.list(folder, globs.size() > 1 ? QStringLiteral("*") : glob)) {
        if (hooks.cancelled && hooks.cancelled())
            break;
        if (globs.size() > 1
            && (item.isDirectory || std::none_of(globs.begin(), globs.end(), [&](const QString& g) { return platform::globMatch(g, item.name); })))
            continue;
        const QString& path = item.path;
        if (seen.contains(path))
            continue;
        seen.insert(path);

        ScannedVideo video;
        video.fileName = item.name;
        video.path = path;
        video.dateText = FormatFileTime(item.lastWrite, kDateFormat);
        video.lastWrite = item.lastWrite;
        video.title = QString::fromStdString(mp4title::readTitle(platform::encodePath(path).toStdString()).title);
        video.length = fs.readableSize(path);
        const QString thumbPath = thumbnailPathFor(path);
        if (fs.fileSize(thumbPath).value_or(0) != 0)
            video.thumbnailPath = thumbPath;
        if (hooks.add)
            hooks.add(std::move(video));
        ++added;
    }
    return added;
}

QStringList defaultPictureCandidates()
{
    return {platform::fileSystem().currentDirectory() + QStringLiteral("/Default.THM"),
            platform::appDir() + QStringLiteral("/Default.THM")};
}

} // namespace storage
