#pragma once

#include "storage/VideoEntry.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>

namespace storage {

/** The pattern of the videos of a folder: folder + "/" + "*.mp4". */
QString videoPattern(const QString& folder);
/** The date format of the lists. */
inline constexpr char kDateFormat[] = "%Y/%#m/%#d %#I:%#M%p";
/** The message shown for every video that gets no picture at all. */
inline constexpr char kNoDefaultPicture[] = "Default Picture Doesn't exist!";

/**
 * x (>= 1) rounded to six decimals, written as integer digits, "." and the
 * first two of the six decimals (no further rounding): 1.999023 -> "1.99".
 */
QString FormatDecimal2(double x);
/** Size text of a length taken as 32-bit unsigned: "1024 BYTES", "1.00 KB", "3584.00 MB". */
QString FormatSizeText(std::uint64_t length);
/**
 * strftime-style text of a time stamp in local time. Supports %Y %y %m %d %H %I
 * %M %S %p %%; "#" after "%" drops leading zeros. Empty when the text would be
 * longer than 127 characters.
 */
QString FormatFileTime(std::time_t stamp, const char* format);
/**
 * Loads a picture (JPEG, PNG, BMP) and makes the 44 x 33 thumbnail: white,
 * a grey one-pixel frame, the picture scaled to keep its proportion over it.
 * Nothing when the picture can't be loaded.
 */
std::optional<QImage> BuildThumbnail(const QString& picturePath);
/** The ".THM" beside a video: its path up to the last "." + ".THM". */
QString thumbnailPathFor(const QString& videoPath);

/** One video as a scan sees it. */
struct ScannedVideo
{
    QString fileName;
    QString title; // UTF-8 decoded; empty when the video has none
    VideoEntry entry;
};

/** What a scan asks of its caller. */
struct ScanHooks
{
    /** True when the path is already listed (the scan also skips its own duplicates). */
    std::function<bool(const QString& path)> isListed;
    /** Called after each thumbnail, so a window can keep painting. */
    std::function<void()> pump;
    /** A video that got no thumbnail because no default picture could be loaded. */
    std::function<void(const QString& videoPath)> noDefaultPicture;
    /** Receives each video in listing order. */
    std::function<void(ScannedVideo&& video)> add;
};

/**
 * Scans the folder listing of a pattern ("folder/ *.mp4", the wildcard matched
 * case-insensitively) into videos: title through the title engine, date text,
 * thumbnail from the ".THM" beside it or "Default.THM" (current directory,
 * then the application folder), size text when a thumbnail was built.
 * Returns the number of videos added.
 */
int scanPattern(const QString& pattern, const ScanHooks& hooks);

} // namespace storage
