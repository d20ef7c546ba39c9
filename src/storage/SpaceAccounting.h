// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/FileSystem.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace storage {

/** "Used/Total(Selected):  used(projected)/total(psp selection) MB ", each in whole MiB. */
QString FormatSpaceText(std::uint64_t used, std::uint64_t projected, std::uint64_t total, std::uint64_t pspSelected);

/** Sum of the lengths of the files; files that can't be opened add 0. */
std::uint64_t SumBytes(const QStringList& paths);

/** What the status bar shows for a drive and the two selections. */
struct SpaceFigures
{
    QString text;          // FormatSpaceText
    int usedPos = 0;       // right edge of the used segment, of barWidth
    int selPos = 0;        // right edge of used space plus the local selection
    bool overflow = false; // the local selection doesn't fit into the free space
};

/**
 * The figures of a drive, the bytes selected on each side and a bar barWidth
 * pixels wide. A drive that gives no total has an unknown size: question
 * marks for its figures, an empty bar and no overflow.
 */
SpaceFigures ComputeSpace(const platform::VolumeSpace& space, std::uint64_t localSelected,
                          std::uint64_t pspSelected, int barWidth);

} // namespace storage
