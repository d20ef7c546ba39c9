// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <cstdint>

namespace platform {

/** DOS attribute bits, as FAT stores them and the PSP test reads them. */
namespace attr {
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t VolumeLabel = 0x08;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
constexpr std::uint32_t Normal = 0x80;
constexpr std::uint32_t Link = 0x400; // a symbolic link: never a plain folder
} // namespace attr

/**
 * Attribute sets of folder entries and folder creation on a drive. The real
 * implementation reads the DOS attributes where the volume is FAT; elsewhere
 * it derives them: a name starting with "." is hidden, a folder without the
 * owner's write permission is read-only, a symbolic link carries attr::Link.
 * Tests install a replacement to give entries other attributes or to make
 * folder creation fail.
 */
class EntryAttributes
{
public:
    virtual ~EntryAttributes() = default;
    /** Attribute set of the entry at path (not following a final link); 0 when it doesn't exist. */
    virtual std::uint32_t attributes(const QString& path) const;
    /** Makes one folder (its parent must exist); false when it can't be made or already exists. */
    virtual bool makeDirectory(const QString& path) const;
};

/** The process-wide attribute reader (the real one unless a test replaced it). */
EntryAttributes& entryAttributes();
/** Replaces the process-wide attribute reader (not owned); nullptr restores the real one. */
void setEntryAttributes(EntryAttributes* replacement);

} // namespace platform
