// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>
#include <QString>

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>

namespace storage {

/** The pattern of the videos of a folder: folder + "/" + "*.mp4". */
QString videoPattern(const QString& folder);
/**
 * The computer list's pattern: folder + "/" + kListedVideoGlobs, the MP4 files
 * and the common video files that are converted when copied to the PSP.
 */
QString listedVideoPattern(const QString& folder);
inline constexpr char kListedVideoGlobs[] =
    "*.mp4;*.mkv;*.avi;*.mov;*.m4v;*.webm;*.mpg;*.mpeg;*.ts;*.wmv;*.flv;*.3gp";
/** True for a file name the PSP list could show as it is: "*.mp4" in any case. */
bool isMp4Name(const QString& name);
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
/** The ".THM" beside a video: its path up to the last "." of its file name (all of it without one) + ".THM". */
QString thumbnailPathFor(const QString& videoPath);

/** One video as a scan sees it. */
struct ScannedVideo
{
    QString fileName;
    QString path;      // folder + separator + name, as the listing gives it
    QString title;     // UTF-8 decoded; empty when the video has none
    QString dateText;  // last-write time in kDateFormat
    std::time_t lastWrite = 0;
    std::optional<std::uint64_t> length; // nothing when it can't be opened or isn't a regular file
    QString thumbnailPath; // the ".THM" beside it when that holds any bytes; empty otherwise
};

/** What a scan asks of its caller. */
struct ScanHooks
{
    /** Asked before each video: true ends the scan (a newer scan took its place). */
    std::function<bool()> cancelled;
    /** Receives each video in listing order. */
    std::function<void(ScannedVideo&& video)> add;
};

/**
 * Scans the folder listing of a pattern ("folder/ *.mp4", the wildcard matched
 * case-insensitively; several globs are separated by ";") into videos: title through the title engine, date text,
 * length, and the thumbnail beside it. Uses no widget and no picture decoder,
 * so it runs on any thread. Returns the number of videos added; a folder that
 * is gone gives none.
 */
int scanPattern(const QString& pattern, const ScanHooks& hooks);

/** Where "Default.THM" is looked for, in order: the current folder, then the application folder. */
QStringList defaultPictureCandidates();

} // namespace storage
