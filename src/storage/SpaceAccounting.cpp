// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "storage/SpaceAccounting.h"

#include <algorithm>

namespace storage {
namespace {

// part / total x width, truncated; kept inside int range for any selection.
int barPosition(std::uint64_t part, std::uint64_t total, int width)
{
    if (total == 0)
        return 0;
    const double position = static_cast<double>(part) / static_cast<double>(total) * width;
    return static_cast<int>(std::clamp(position, 0.0, 1.0e9));
}

} // namespace

QString FormatSpaceText(std::uint64_t used, std::uint64_t projected, std::uint64_t total, std::uint64_t pspSelected)
{
    return QString::asprintf("Used/Total(Selected):  %llu(%llu)/%llu(%llu) MB ",
        static_cast<unsigned long long>(used >> 20), static_cast<unsigned long long>(projected >> 20),
        static_cast<unsigned long long>(total >> 20), static_cast<unsigned long long>(pspSelected >> 20));
}

std::uint64_t SumBytes(const QStringList& paths)
{
    std::uint64_t sum = 0;
    const platform::FileSystem& fs = platform::fileSystem();
    for (const QString& path : paths)
        sum += fs.readableSize(path).value_or(0);
    return sum;
}

SpaceFigures ComputeSpace(const platform::VolumeSpace& space, std::uint64_t localSelected,
                          std::uint64_t pspSelected, int barWidth)
{
    const std::uint64_t total = space.total;
    const std::uint64_t free = space.freeToCaller;
    if (total == 0) {
        // Some file systems (FUSE mounts among them) give no size at all: that
        // is not a full drive, and a copy is let through to find out.
        SpaceFigures unknown;
        unknown.text = QString::asprintf("Used/Total(Selected):  ?(?)/?(%llu) MB ",
                                         static_cast<unsigned long long>(pspSelected >> 20));
        return unknown;
    }
    const std::uint64_t used = total >= free ? total - free : 0;
    const std::uint64_t projected = used + localSelected;
    SpaceFigures figures;
    figures.text = FormatSpaceText(used, projected, total, pspSelected);
    figures.usedPos = barPosition(used, total, barWidth);
    figures.selPos = barPosition(projected, total, barWidth);
    // An empty selection clears the mark too.
    figures.overflow = localSelected > free;
    return figures;
}

} // namespace storage
