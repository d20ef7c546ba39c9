// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "media/Media.h"

#include <QByteArray>

namespace media::mp4 {

struct Result
{
    bool isMp4 = false;      // the first bytes are MP4 atoms
    bool unreadable = false; // could not be opened or read
    std::optional<Facts> facts;
    QString error;           // when an MP4 (or the file) could not be read
};

/** Reads an MP4 file by its encoded path. */
Result readFile(const QByteArray& path);
/** The same from bytes in memory. */
Result readBytes(const QByteArray& bytes);

} // namespace media::mp4
