// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "convert/Profiles.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// Any video made into a file the PSP plays. The converter only writes into the
// descriptor it is given: naming, syncing and renaming the result are the
// caller's (the transfer engine's temporary file, the command line's).
namespace convert {

struct Limits
{
    // FAT32's largest file.
    std::int64_t maxOutputBytes = 0xFFFFFFFFLL;
    // Larger source pictures are refused before they are decoded.
    int maxWidth = 8192;
    int maxHeight = 8192;
    // Video frames written; 0 for no limit. More is a TooLarge failure.
    std::int64_t maxFrames = 0;
    // 0 for no limit; more is a TimedOut failure.
    std::chrono::milliseconds timeLimit{0};
};

struct ConvertRequest
{
    QString input;
    // Open for writing (and reading back the title); written from offset 0 and
    // cut to the file's length at the end; neither synced nor closed.
    int outputFd = -1;
    const Profile* profile = nullptr; // null: defaultProfile()
    QString title;                    // the PSP title; empty: none
    int threads = 0;                  // decoder and encoder threads each; 0: the cores, 2 to 4
    Limits limits;
};

enum class Status { Done, Cancelled, Failed };

enum class Error {
    None,
    Library,     // FFmpeg's libraries could not be loaded
    Open,        // the input cannot be opened or read, or is no container FFmpeg knows
    NoVideo,     // no video stream
    Unsupported, // no decoder for the video, a picture over the limits, an encoder missing
    Decode,      // the demuxer or a decoder failed part-way (damaged or cut-off data)
    Encode,      // an encoder or the muxer refused
    Write,       // writing the output failed (errnum: ENOSPC, EIO, ...)
    TooLarge,    // the output would pass Limits::maxOutputBytes, or maxFrames
    TimedOut,    // Limits::timeLimit passed
};

struct ConvertResult
{
    Status status = Status::Failed;
    Error error = Error::None;
    int errnum = 0;     // errno for Open and Write, when known
    std::string detail; // short and technical, for logs; not a user text
    std::int64_t bytes = 0;       // the output's length when Done
    std::int64_t durationUs = 0;  // the output's video duration when Done
};

/** Called with the media time converted so far and the source's duration (0 when unknown), at most ~30 times a second. */
using ProgressFn = std::function<void(std::int64_t doneUs, std::int64_t durationUs)>;

/**
 * Converts request.input into a PSP file written to request.outputFd. Stops
 * within half a second of cancel being raised (Status::Cancelled). On anything
 * but Done the descriptor's contents are unspecified: the caller removes its file.
 */
ConvertResult convertVideo(const ConvertRequest& request, const std::atomic<bool>& cancel, const ProgressFn& progress);

/** A name for the error, e.g. "write", for messages and logs. */
const char* errorName(Error error);

/**
 * The title a conversion of that file should carry: its PSP title, else its
 * container's title (MP4 "©nam", Matroska TITLE, ...), else its file name
 * without the extension.
 */
QString chooseTitle(const QString& path);

} // namespace convert
