// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

namespace platform {

/** One entry of a folder listing. */
struct DirEntry
{
    QString name;            // file name only
    QString path;            // folder + separator + name
    bool isDirectory = false;
    std::time_t lastWrite = 0; // seconds since the epoch, UTC
};

/** Space of the volume holding a path, in bytes. */
struct VolumeSpace
{
    std::uint64_t freeToCaller = 0; // f_bavail x f_frsize
    std::uint64_t total = 0;        // f_blocks x f_frsize
    std::uint64_t totalFree = 0;    // f_bfree x f_frsize
};

/**
 * The file-system services of the catalogue and space accounting. The real
 * implementation is the default; tests install a replacement to make single
 * calls fail (CI runs as root, so permissions can't).
 */
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    /**
     * Entries of a folder whose names match a glob ("*", "?"), compared
     * case-insensitively as FAT does, in the order the listing yields them.
     * "." and ".." are never returned. A folder that can't be read, or whose
     * reading fails midway, gives what was read and sets *error (when given)
     * to the errno; 0 means the listing is complete.
     */
    virtual std::vector<DirEntry> list(const QString& folder, const QString& glob, int* error = nullptr) const;
    /** The exact path names an entry (file or folder). A failed look counts as present. */
    virtual bool exists(const QString& path) const;
    /**
     * Whether the exact path names an entry: 1 present, 0 absent, -1 when
     * the look itself failed (errno in *error). Anything that must not
     * take a name it could not see asks this.
     */
    virtual int lookup(const QString& path, int* error = nullptr) const;
    /**
     * Whether two paths lead to one file (links followed): 1 yes, 0 no (or
     * either is absent), -1 when a look failed (errno in *error). Asked
     * before a file is replaced by one made from the other.
     */
    virtual int sameFile(const QString& a, const QString& b, int* error = nullptr) const;
    /** Is a folder (symlinks followed). */
    virtual bool isDirectory(const QString& path) const;
    /** Opens the file for reading and returns its length; nothing when it can't be opened or isn't a regular file. */
    virtual std::optional<std::uint64_t> readableSize(const QString& path) const;
    /** Size of an entry without opening it; nothing when it doesn't exist. */
    virtual std::optional<std::uint64_t> fileSize(const QString& path) const;
    /** Last-write time; nothing when the entry doesn't exist. */
    virtual std::optional<std::time_t> lastWriteTime(const QString& path) const;
    /** Space of the volume holding the path; nothing for an empty or missing path. */
    virtual std::optional<VolumeSpace> space(const QString& path) const;
    /** The process's current directory, without a trailing separator (except "/"). */
    virtual QString currentDirectory() const;
};

/** The process-wide file system (the real one unless a test replaced it). */
FileSystem& fileSystem();
/** Replaces the process-wide file system (not owned); nullptr restores the real one. */
void setFileSystem(FileSystem* replacement);

/** Case-insensitive glob match of a name ("*" any run, "?" one character). */
bool globMatch(const QString& glob, const QString& name);

} // namespace platform
