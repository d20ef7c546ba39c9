// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "transfer/PspNaming.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/Volumes.h"

#include <QSet>

#include <cerrno>
#include <climits>

namespace transfer {

namespace {

constexpr int kHighestNumber = 99999;

// The number a listed name carries in its five characters at index 3.
int numberOfName(const QString& name)
{
    return AtoiNumber(name.mid(3, 5));
}

QString upToLastDot(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

// head + tail, head cut at a character boundary until the name fits the file system.
QString fitted(QString head, const QString& tail)
{
    const qsizetype tailBytes = platform::encodePath(tail).size();
    // Counted once, then less each cut character: a long title is not encoded again at every cut.
    qsizetype headBytes = platform::encodePath(head).size();
    while (!head.isEmpty() && headBytes + tailBytes > kMaxFileNameBytes) {
        const qsizetype n = head.size();
        const qsizetype cut = n >= 2 && head.at(n - 1).isLowSurrogate() && head.at(n - 2).isHighSurrogate() ? 2 : 1;
        headBytes -= platform::encodePath(head.right(cut)).size();
        head.chop(cut);
    }
    return head + tail;
}

// The next form of a name that is taken: "(1)" added, or the last "(k)" counted up.
QString renamed(const QString& name)
{
    const qsizetype open = name.lastIndexOf(QLatin1Char('('));
    if (open >= 0) {
        const qsizetype close = name.lastIndexOf(QLatin1Char(')'));
        const int k = close > open ? AtoiNumber(name.mid(open + 1, close - open - 1)) : 0;
        if (k >= 1 && k <= 255)
            return fitted(name.left(open), QLatin1Char('(') + QString::number(k + 1) + QStringLiteral(").mp4"));
    }
    return fitted(upToLastDot(name), QStringLiteral("(1).mp4"));
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString PspFileName(long long number)
{
    return QStringLiteral("m4v%1.mp4").arg(number, 5, 10, QLatin1Char('0'));
}

QString ThumbnailName(const QString& name)
{
    return upToLastDot(name) + QStringLiteral(".THM");
}

int AtoiNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || (text[i] >= QLatin1Char('\t') && text[i] <= QLatin1Char('\r'))))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // keeps growing digits from overflowing
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::optional<QString> GetNextPspFileName(const QString& folder, int* error)
{
    int listError = 0;
    const auto entries = platform::fileSystem().list(folder, QStringLiteral("*.mp4"), &listError);
    if (error)
        *error = listError;
    // A listing cut short would offer a name that may be taken.
    if (listError != 0)
        return std::nullopt;
    if (entries.empty())
        return PspFileName(1);

    int highest = 0;
    for (const platform::DirEntry& entry : entries)
        highest = std::max(highest, numberOfName(entry.name));
    if (highest != kHighestNumber)
        return PspFileName(static_cast<long long>(highest) + 1);

    // The top number is taken: the lowest free one, in number order, so the
    // name offered never exists further down the listing.
    QSet<int> taken;
    for (const platform::DirEntry& entry : entries)
        taken.insert(numberOfName(entry.name));
    long long counter = 1;
    while (taken.contains(static_cast<int>(counter)))
        ++counter;
    return PspFileName(counter);
}

QString NextNumText(const QString& folder)
{
    const std::optional<QString> name = GetNextPspFileName(folder);
    return name ? name->mid(3, 5) : QString();
}

TargetNames PspTargetNames(const QString& nextNumText, const QString& pspFolder)
{
    const int number = AtoiNumber(nextNumText);
    if (number >= 0 && number <= kHighestNumber) {
        const QString name = PspFileName(number);
        return {name, ThumbnailName(name)};
    }
    const QString name = GetNextPspFileName(pspFolder).value_or(QString());
    return {name, ThumbnailName(name), true};
}

QString SafeFileName(const QString& title, bool fat)
{
    static const QString fatForbidden = QStringLiteral("\\:*?\"<>|");
    QString result = title;
    for (QChar& c : result) {
        if (c == QLatin1Char('/') || c.unicode() == 0 || (fat && (fatForbidden.contains(c) || c.unicode() < 0x20)))
            c = QLatin1Char('_');
    }
    if (result.startsWith(QLatin1Char('.')))
        result[0] = QLatin1Char('_');
    return result;
}

namespace {

// The name a PSP video comes back under before any renaming.
TargetNames firstComputerNames(const QString& title, const QString& videoPath, const QString& localFolder)
{
    TargetNames names;
    if (title.isEmpty()) {
        // The whole file name: cutting it after 12 characters would drop the extension.
        const QString name = fileNameOf(videoPath);
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        names.name = dot < 0 ? fitted(name, QString()) : fitted(name.left(dot), name.mid(dot));
    } else {
        const QString safe = SafeFileName(title, platform::volumes().isFat(localFolder));
        names.name = fitted(safe, QStringLiteral(".mp4"));
    }
    names.thumbnail = ThumbnailName(names.name);
    return names;
}

QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// A search never runs for ever, whatever a folder holds.
constexpr int kMostTries = 4096;

} // namespace

TargetNames ComputerTargetNames(const QString& title, const QString& videoPath, const QString& localFolder)
{
    NameSearch search = NameSearch::computer(title, videoPath, localFolder);
    return search.first().value_or(TargetNames{});
}

NameSearch NameSearch::psp(const QString& pspFolder)
{
    NameSearch search;
    search.m_bPsp = true;
    search.m_strFolder = withSeparator(pspFolder);
    return search;
}

NameSearch NameSearch::computer(const QString& title, const QString& videoPath, const QString& localFolder)
{
    NameSearch search;
    search.m_strFolder = withSeparator(localFolder);
    const TargetNames names = firstComputerNames(title, videoPath, localFolder);
    search.m_strStem = upToLastDot(names.name);
    if (search.m_strStem.isEmpty() && !names.name.contains(QLatin1Char('.')))
        search.m_strStem = names.name;
    search.m_strFirst = names.name;
    search.m_tried.insert(names.name);
    return search;
}

std::optional<TargetNames> NameSearch::first()
{
    if (m_bPsp) {
        const std::optional<QString> name = GetNextPspFileName(m_strFolder, &m_error);
        if (!name)
            return std::nullopt;
        return freeFrom({*name, ThumbnailName(*name)});
    }
    return freeFrom({m_strFirst, ThumbnailName(m_strFirst)});
}

std::optional<TargetNames> NameSearch::next(const QString& taken)
{
    const QString name = after(taken);
    if (name.isEmpty()) {
        if (m_error == 0)
            m_error = EEXIST;
        return std::nullopt;
    }
    return freeFrom({name, ThumbnailName(name)});
}

std::optional<TargetNames> NameSearch::freeFrom(TargetNames candidate)
{
    for (int tries = 0; tries < kMostTries; ++tries) {
        const int free = pairIsFree(candidate);
        if (free < 0)
            return std::nullopt;
        if (free > 0)
            return candidate;
        const QString name = after(candidate.name);
        if (name.isEmpty())
            break;
        candidate = {name, ThumbnailName(name)};
    }
    if (m_error == 0)
        m_error = EEXIST;
    return std::nullopt;
}

QString NameSearch::after(const QString& name)
{
    if (m_error != 0)
        return {};
    if (m_bPsp) {
        const int number = numberOfName(name);
        if (number >= 0 && number < kHighestNumber)
            return PspFileName(number + 1);
        // At the top: the lowest free number, as the listing sees it now.
        const std::optional<QString> lowest = GetNextPspFileName(m_strFolder, &m_error);
        if (!lowest || *lowest == name)
            return {};
        return *lowest;
    }
    // The renaming rule, until it comes round to a name it gave before
    // (shortened names can); then "(k)" after the first name's stem.
    QString candidate = m_nFallback == 0 ? renamed(name) : QString();
    while (candidate.isEmpty() || m_tried.contains(candidate)) {
        if (m_nFallback >= kMostTries)
            return {};
        candidate = fitted(m_strStem, QLatin1Char('(') + QString::number(++m_nFallback) + QStringLiteral(").mp4"));
    }
    m_tried.insert(candidate);
    return candidate;
}

int NameSearch::pairIsFree(const TargetNames& names)
{
    const platform::FileSystem& fs = platform::fileSystem();
    // An exact look: a title may hold "*" or "?", which must not match other files.
    for (const QString& name : {names.name, names.thumbnail}) {
        const int present = fs.lookup(m_strFolder + name, &m_error);
        if (present != 0)
            return present > 0 ? 0 : -1;
    }
    return 1;
}

TargetNames droppedTargetNames(const QString& videoPath)
{
    const QString name = fileNameOf(videoPath);
    return {name, ThumbnailName(name)};
}

} // namespace transfer
