// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

namespace thumbnail {

/** The PSP's thumbnail size. */
inline constexpr int kWidth = 160;
inline constexpr int kHeight = 120;

/** Bounds on the work spent on one video, so a hostile file can't hold a worker. */
struct Limits
{
    std::chrono::milliseconds timeLimit{3000}; // wall clock, reading included
    int maxPackets = 512;                      // key-frame packets read
    int maxFrames = 64;                        // pictures decoded
    int maxTries = 4;                          // key frames looked at past a black one
};

/** Why no picture came, beyond the text. */
enum class Failure {
    None,
    Content,  // the video gives no picture: the same next time
    Passing,  // the file could not be read or the time ran out: may work later
};

/**
 * Makes the 160 x 120 baseline JPEG of a video from the key frame about a
 * tenth into it (a later one when that is nearly black), scaled to keep its
 * proportion with black bars. Nothing, with the reason in error, for input
 * that is not an MP4 video with a picture; never waits on anything but the
 * file's own bytes.
 */
std::optional<QByteArray> makeThumbnail(const QString& video, QString* error, const Limits& limits = {},
                                        Failure* failure = nullptr);
/** The same, from the bytes of a video held in memory. */
std::optional<QByteArray> makeThumbnailFromBytes(const QByteArray& video, QString* error, const Limits& limits = {},
                                                 Failure* failure = nullptr);

/**
 * Writes a JPEG to out through the copy routine: a temporary in out's folder,
 * synced, then renamed. With replace false an existing out is left as it is
 * and the call fails. No file at all on failure.
 */
bool writeJpeg(const QByteArray& jpeg, const QString& out, bool replace, QString* error);
/** makeThumbnail, then writeJpeg. */
bool writeThumbnail(const QString& video, const QString& out, QString* error, bool replace = false);

} // namespace thumbnail
