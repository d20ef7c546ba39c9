#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

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
};

/** The outcome of FileOps::copyFile. */
struct CopyResult
{
    CopyStatus status = CopyStatus::Failed;
    CopyFault fault = CopyFault::None;
    int error = 0;            // errno of the failure; EEXIST for TargetExists, 0 otherwise
    std::uint64_t total = 0;  // length of the source when the copy started
    std::uint64_t copied = 0; // bytes written to the target; equals total, synced, when Ok

    bool ok() const { return status == CopyStatus::Ok; }
};

/**
 * Progress of one copy: the source's length and the bytes copied so far.
 * Returns false to cancel; the copy then stops before its next chunk.
 */
using CopyProgress = std::function<bool(std::uint64_t total, std::uint64_t copied)>;

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
                                const CopyProgress& progress = {}) const;

    /** Deletes a file (not a folder). The folder is not synced. */
    virtual FileOpResult removeFile(const QString& path) const;

    /** Makes one folder, mode 0777 before the umask; its parent must exist. */
    virtual FileOpResult makeDirectory(const QString& path) const;

protected:
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
