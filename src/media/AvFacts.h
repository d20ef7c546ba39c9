// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "media/Media.h"

namespace media::av {

/**
 * The facts of any container libavformat reads, from its headers and a probe
 * capped in bytes and time. Facts without tracks for a file it doesn't
 * recognise; nothing, with the reason, when FFmpeg is missing or the file
 * can't be read.
 */
std::optional<Facts> readFile(const QString& path, QString* error);

} // namespace media::av
