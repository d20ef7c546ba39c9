// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

/** How a copy ended. */
enum class CopyStatus {
    Ok,           // every byte of the source is on the target's device, under the target name
    Cancelled,    // the progress callback answered false
    TargetExists, // fail-if-exists and the target name was taken
    Failed,       // see CopyResult::fault and CopyResult::error
};

/** What a failed copy failed at, so that a caller can word its message. */
enum class CopyFault {
    None,
    ReadSource,    // opening or reading the source (ENOENT: it vanished; EIO: its device went away)
    WriteTarget,   // the target folder or device (ENOSPC: full; ENOENT: the folder was removed; EIO: unplugged)
    SourceChanged, // the source grew, shrank, was rewritten or was deleted while it was copied (error is 0)
    SameFile,      // the target name is the source itself (EINVAL); nothing was written
    TooLarge,      // the target is a FAT file system and the source is 4 GiB or more (EFBIG); nothing was written
};

/** The outcome of FileOps::copyFile. */
struct CopyResult
{
    CopyStatus status = CopyStatus::Failed;
    CopyFault fault = CopyFault::None;
    int error = 0;            // errno of the failure; EEXIST for TargetExists, 0 otherwise
    std::uint64_t total = 0;  // length of the source when the copy started
    std::uint64_t copied = 0; // bytes written to the target; equals total, synced, when Ok
    QString target;           // the path the copy landed at when Ok (another name than asked when one was given)

    bool ok() const { return status == CopyStatus::Ok; }
};

/**
 * Progress of one copy: the source's length and the bytes copied so far.
 * Returns false to cancel; the copy then stops before its next chunk.
 */
using CopyProgress = std::function<bool(std::uint64_t total, std::uint64_t copied)>;

/**
 * Another name to try, in the target's folder, when the one tried is taken
 * (fail-if-exists only). Gets the name that was taken; an empty answer ends
 * the copy with TargetExists. May answer "" to stop, or fail by returning
 * std::nullopt with errno set (a look that failed).
 */
using NextName = std::function<std::optional<QString>(const QString& taken)>;

/** The largest file a FAT file system holds: 4 GiB less one byte. */
inline constexpr std::uint64_t kFatMaxFileSize = 0xFFFFFFFFull;

/** How a removal or folder creation ended. */
enum class FileOpStatus {
    Ok,
    AccessDenied,  // EACCES, EPERM, EROFS
    NotFound,      // ENOENT, ENOTDIR: the entry (or a parent folder) isn't there
    AlreadyExists, // EEXIST (folder creation only)
    Failed,        // anything else; see error
};

struct FileOpResult
{
    FileOpStatus status = FileOpStatus::Failed;
    int error = 0; // errno, 0 when Ok

    bool ok() const { return status == FileOpStatus::Ok; }
};

/**
 * Copying, deleting and folder creation for transfers. The real
 * implementation is the default; tests install a replacement (or a subclass
 * overriding copyChunk) to make calls fail where root can't be refused.
 *
 * All calls are synchronous and may block on a slow device; they are meant
 * for a worker thread. They keep no state, so several threads may use them.
 */
class FileOps
{
public:
    /** Bytes moved per chunk; progress and cancel are seen between chunks. */
    static constexpr std::size_t ChunkSize = std::size_t{4} << 20;

    virtual ~FileOps() = default;

    /**
     * Copies a regular file. The data goes to a new temporary file in the
     * target's folder, is written to the device as it goes, gets the source's
     * last-write time, is synced, and only then takes the target name (with
     * fail-if-exists: an atomic rename that never replaces; otherwise: a rename
     * over the old target, which stays whole until then). The folder is synced
     * before Ok is returned. On failure or cancel the temporary is removed and
     * the target is as it was (after a cancel the file system frees the
     * partial file's blocks in the background, so the call returns at once).
     *
     * progress (may be empty) is called once with 0 copied before the first
     * chunk (so an empty file gets one call) and after every chunk.
     * Ok means exactly total bytes were copied and are on the device.
     */
    virtual CopyResult copyFile(const QString& source, const QString& target, bool failIfExists,
                                const CopyProgress& progress = {}, const NextName& nextName = {}) const;

    /** Deletes a file (not a folder). The folder is not synced. */
    virtual FileOpResult removeFile(const QString& path) const;

    /**
     * Renames a file within its folder to a fresh temporary name of this
     * program (".reelkeeper-XXXXXXXXXXXX.tmp"), never replacing anything, and
     * gives that path. Undo with restoreFile; a leftover is removed as stale.
     */
    virtual std::optional<QString> stashFile(const QString& path, FileOpResult* result = nullptr) const;
    /** Renames a stashed file back to its name, never replacing anything. */
    virtual FileOpResult restoreFile(const QString& stashed, const QString& path) const;

    /**
     * Removes this program's temporaries in a folder that no copy holds any
     * more and that are older than notBefore (seconds since the epoch): the
     * leftovers of a copy that was killed. Never touches other files.
     * Returns how many were removed.
     */
    int removeStaleTemporaries(const QString& folder, std::time_t notBefore) const;

    /** A temporary of this program being written; the caller owns (and closes) fd. */
    struct Temporary
    {
        int fd = -1;
        QString path;
    };
    /**
     * Creates a new, empty temporary (".reelkeeper-XXXXXXXXXXXX.tmp") in a
     * folder, exclusively, open for writing and locked as a copy's temporary
     * (so it is never removed as stale while open). The caller writes it, then
     * publishes or removes it.
     */
    virtual std::optional<Temporary> createTemporary(const QString& folder, FileOpResult* result = nullptr) const;
    /**
     * Gives a written temporary its name in the same folder: syncs it, renames
     * it without ever replacing (AlreadyExists when the name is taken: the
     * temporary stays), then syncs the folder (a failing folder sync takes the
     * name back and leaves the temporary). With replace, the rename goes over
     * a file of that name, which stays whole until then; a failing folder sync
     * is told but the name is kept, as the old file is gone.
     */
    virtual FileOpResult publishTemporary(const Temporary& temporary, const QString& path, bool replace = false) const;

    /** Makes one folder, mode 0777 before the umask; its parent must exist. */
    virtual FileOpResult makeDirectory(const QString& path) const;

    /** Is the name one of this program's temporaries? */
    static bool isTemporaryName(const QString& name);

    /** The calls that make names and durability; tests replay their order, fail one or stop at one. */
    enum class Sys {
        LookTarget,      // fstatat(dir, from) into st
        CreateTemp,      // openat(dir, from, O_CREAT | O_EXCL): returns the descriptor
        SyncFile,        // fsync(fd)
        RenameNoReplace, // renameat2(dir, from, dir, to, RENAME_NOREPLACE)
        Link,            // linkat(dir, from, dir, to)
        CreateExclusive, // openat(dir, to, O_CREAT | O_EXCL), closed at once
        Rename,          // renameat(dir, from, dir, to), replacing
        Unlink,          // unlinkat(dir, from)
        SyncFolder,      // fsync(dir)
        VolumeRoom,      // fstatvfs(fd) into vfs
    };
    struct SysArgs
    {
        int dir = -1;
        const char* from = nullptr;
        const char* to = nullptr;
        int fd = -1;
        struct ::stat* st = nullptr;
        struct ::statvfs* vfs = nullptr;
    };

protected:
    /** Carries out one call: its result (0, or a descriptor), or -1 with errno set. */
    virtual int sys(Sys call, const SysArgs& args) const;

    /**
     * Renames within a folder without ever replacing: the atomic rename, else
     * a hard link, else an exclusive create of the name and a rename over it.
     * 0, or -1 with errno (EEXIST: the name is taken).
     */
    int renameNoReplace(int dir, const char* from, const char* to) const;

    /** The state copyChunk keeps across the chunks of one copy. */
    struct ChunkIo
    {
        bool direct = true;              // copy_file_range still worth trying
        std::unique_ptr<char[]> buffer;  // ChunkSize bytes, made when read/write is first needed
        CopyFault fault = CopyFault::None;
    };

    /**
     * Copies up to size bytes at offset from source to the same offset of
     * target. Returns the count copied (0 only at the source's end), or -1
     * with errno set and io.fault naming the side that failed.
     */
    virtual std::int64_t copyChunk(int source, int target, std::uint64_t offset, std::size_t size,
                                   ChunkIo& io) const;
};

/** The process-wide file operations (the real ones unless a test replaced them). */
FileOps& fileOps();
/** Replaces the process-wide file operations (not owned); nullptr restores the real ones. */
void setFileOps(FileOps* replacement);

} // namespace platform
