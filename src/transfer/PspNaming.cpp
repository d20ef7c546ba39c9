#include "transfer/PspNaming.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/Volumes.h"

#include <QSet>

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
    while (!head.isEmpty() && platform::encodePath(head).size() + tailBytes > kMaxFileNameBytes) {
        const qsizetype n = head.size();
        head.chop(n >= 2 && head.at(n - 1).isLowSurrogate() && head.at(n - 2).isHighSurrogate() ? 2 : 1);
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

QString GetNextPspFileName(const QString& folder)
{
    const auto entries = platform::fileSystem().list(folder, QStringLiteral("*.mp4"));
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
    return GetNextPspFileName(folder).mid(3, 5);
}

TargetNames PspTargetNames(const QString& nextNumText, const QString& pspFolder)
{
    const int number = AtoiNumber(nextNumText);
    if (number >= 0 && number <= kHighestNumber) {
        const QString name = PspFileName(number);
        return {name, ThumbnailName(name)};
    }
    const QString name = GetNextPspFileName(pspFolder);
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

TargetNames ComputerTargetNames(const QString& title, const QString& videoPath, const QString& localFolder)
{
    TargetNames names;
    if (title.isEmpty()) {
        // The whole file name: cutting it after 12 characters would drop the extension.
        const QString name = fileNameOf(videoPath);
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        names.name = dot < 0 ? fitted(name, QString()) : fitted(name.left(dot), name.mid(dot));
        names.thumbnail = ThumbnailName(names.name);
    } else {
        const QString safe = SafeFileName(title, platform::volumes().isFat(localFolder));
        names.name = fitted(safe, QStringLiteral(".mp4"));
        names.thumbnail = ThumbnailName(names.name);
    }

    const platform::FileSystem& fs = platform::fileSystem();
    QString folder = localFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    // An exact test: a title may hold "*" or "?", which must not match other files.
    // Shortened names can come round again; a name met twice ends the search.
    QSet<QString> tried;
    while (fs.exists(folder + names.name) && !tried.contains(names.name)) {
        tried.insert(names.name);
        names.name = renamed(names.name);
        names.thumbnail = ThumbnailName(names.name);
    }
    return names;
}

TargetNames droppedTargetNames(const QString& videoPath)
{
    const QString name = fileNameOf(videoPath);
    return {name, ThumbnailName(name)};
}

} // namespace transfer
