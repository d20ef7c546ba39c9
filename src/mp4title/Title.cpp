// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/Title.h"

#include "mp4title/TitleCalls.h"

#include <cerrno>
#include <cstring>
#include <mutex>

namespace mp4title {

namespace {

// The exported calls keep their state in process-wide variables.
std::mutex& titleLock()
{
    static std::mutex lock;
    return lock;
}

std::string openReason(int err)
{
    switch (err) {
    case ENOENT: return "The file does not exist.";
    case EACCES:
    case EPERM: return "The file cannot be opened for writing: permission denied.";
    case EROFS: return "The file cannot be opened for writing: the file system is read-only.";
    case EISDIR: return "It is a folder, not a file.";
    case ENODEV: return "It is not a regular file.";
    default: return std::string("The file cannot be opened: ") + std::strerror(err) + ".";
    }
}

std::string walkReason(int walkError)
{
    const std::string head = "A title written there would not be read back: ";
    switch (walkError) {
    case MOV_ERR_TOO_MANY_TRACKS: return head + "the moov atom has more than 20 tracks.";
    case MOV_ERR_TOO_DEEP: return head + "the atoms in the moov atom are nested more than 32 deep.";
    case MOV_ERR_BAD_SIZE: return head + "an atom in the moov atom has a size field below 8.";
    default: return head + "reading stops at a damaged table in the moov atom.";
    }
}

std::string stateReason(int state)
{
    switch (state) {
    case TITLE_STATE_UNCHANGED: return " The file was left as it was.";
    case TITLE_STATE_OLD: return " The file still has its old title.";
    case TITLE_STATE_UNCONFIRMED:
        return " The new title was written but could not be confirmed on the disk; the file has its old or its new title.";
    default: return " The file could not be read back to check its state.";
    }
}

std::string writeReason(const std::string& title)
{
    switch (title_outcome) {
    case TITLE_CANNOT_OPEN: return openReason(title_errno);
    case TITLE_IN_USE: return "The file is in use by another program.";
    case TITLE_NOT_MP4: return "The file is not an MP4 video.";
    case TITLE_NO_MOOV: return "The file has no moov atom (it is not a complete MP4 video).";
    case TITLE_TOO_LONG: return "The title is longer than 255 bytes.";
    case TITLE_BAD_TEXT: return "The title is not valid UTF-8 text.";
    case TITLE_LARGE_SIZE: return "The file uses a 64-bit atom size where the title would have to be written.";
    case TITLE_FRAGMENTED: return "The file is fragmented (it has moof or mvex atoms); its title is not changed.";
    case TITLE_MOOV_NESTED: return "The file's moov atom is not at its top level.";
    case TITLE_BAD_MOOV: return "The file's moov atom is damaged: its atoms do not add up to its size.";
    case TITLE_CUT_SHORT: return "The file is cut short: an atom runs past its end.";
    case TITLE_BAD_SIZE_FIELD: return "The file is damaged: an atom has a size field below 8.";
    case TITLE_NOT_READ_BACK: return walkReason(title_walk_error);
    case TITLE_STRAY_ATOMS:
        return "A title written there would not be read back: the file has header atoms after its moov atom.";
    case TITLE_TOO_BIG: return "The file's moov atom would grow beyond 4 GiB.";
    case TITLE_WRITE_FAILED:
        return std::string("Writing the file failed: ") + std::strerror(title_errno ? title_errno : EIO) + "."
            + stateReason(title_state);
    case TITLE_READ_BACK_WRONG:
        return title.empty() ? "The title was removed, but the file still shows a title."
                             : "The title was written, but the file does not show it.";
    case TITLE_NO_MEMORY: return "Out of memory.";
    case TITLE_HIDDEN:
        return title.empty() ? "The title cannot be removed: damaged atoms lead readers to a title that no safe write reaches."
                             : "A title written there would not be read back: damaged atoms would lead readers past it.";
    default: return "The title could not be written.";
    }
}

} // namespace

ReadResult readTitle(const std::string& path)
{
    std::lock_guard<std::mutex> guard(titleLock());
    char buffer[TITLE_BUFFER_SIZE] = {};
    const int found = GetTitleName(path.c_str(), buffer);
    ReadResult result;
    if (found == 1) {
        result.status = ReadStatus::Ok;
        result.title = buffer;
        return result;
    }
    switch (title_outcome) {
    case TITLE_NOT_MP4: result.status = ReadStatus::NotMp4; break;
    case TITLE_NO_MOOV: result.status = ReadStatus::NoMoov; break;
    case TITLE_IN_USE: result.status = ReadStatus::InUse; break;
    default: result.status = ReadStatus::CannotOpen; break;
    }
    return result;
}

WriteResult writeTitle(const std::string& path, const std::string& utf8Title)
{
    if (utf8Title.find('\0') != std::string::npos)
        return {false, "The title contains a zero byte."};
    std::lock_guard<std::mutex> guard(titleLock());
    if (SetTitleName(path.c_str(), utf8Title.c_str()) == 1)
        return {true, std::string()};
    return {false, writeReason(utf8Title)};
}

WriteResult clearTitle(const std::string& path)
{
    return writeTitle(path, std::string());
}

const char* describe(ReadStatus status)
{
    switch (status) {
    case ReadStatus::Ok: return "ok";
    case ReadStatus::CannotOpen: return "cannot open";
    case ReadStatus::NotMp4: return "not an MP4 file";
    case ReadStatus::NoMoov: return "no moov atom (not a complete MP4 file)";
    case ReadStatus::InUse: return "in use by another program";
    }
    return "unknown error";
}

} // namespace mp4title
