// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <cstdint>

namespace storage {

/** The demo stick holds what a real 1 GiB Memory Stick would. */
inline constexpr std::uint64_t kDemoStickCapacity = std::uint64_t(1) << 30;

/** Where the demo lives. Both empty when it couldn't be made. */
struct DemoPaths
{
    QString stickRoot;   // a folder laid out as a PSP memory stick, with trailing separator
    QString localFolder; // a folder of videos on the computer, without trailing separator
};

/**
 * Makes the demo memory stick and the demo computer folder under base
 * (default: the user's data folder + "/demo"), copying the videos and
 * thumbnails from source (default: the application folder + "/demo"). Each
 * of the two is made afresh only when it is missing, so the user's changes
 * survive a second run. The shell then declares stickRoot as a volume.
 */
DemoPaths MakeDemo(const QString& base = QString(), const QString& source = QString());

} // namespace storage
