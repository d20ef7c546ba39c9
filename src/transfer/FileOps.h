#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace transfer {

/** Told the total and copied bytes at the start and after each chunk; false stops the copy. */
using CopyProgress = std::function<bool(std::uint64_t total, std::uint64_t copied)>;

enum class CopyMode { FailIfExists, Overwrite };

/**
 * Every change the transfer engine makes to files goes through here, so tests
 * can make single calls fail (CI runs as root) and the copy routine behind it
 * is chosen in one place.
 */
class FileOps
{
public:
    virtual ~FileOps() = default;
    /**
     * Copies a file; 0 when the copy is complete and on the device, otherwise
     * an errno value (ECANCELED when progress answered false). A failed copy
     * leaves no partial target.
     */
    virtual int copy(const QString& from, const QString& to, CopyMode mode, const CopyProgress& progress);
    /** Removes a file; 0 or an errno value. */
    virtual int remove(const QString& path);
};

/** The process-wide file operations (the real ones unless a test replaced them). */
FileOps& fileOps();
/** Replaces the process-wide file operations (not owned); nullptr restores the real ones. */
void setFileOps(FileOps* replacement);

} // namespace transfer
