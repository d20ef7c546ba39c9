#pragma once

#include "TempDir.h"

#include <filesystem>
#include <string>

namespace titletest {

struct RawRead {
    int result = -1;
    std::string buffer; // the 512-byte buffer after the call
};

// GetTitleName into a zero-filled 512-byte buffer.
RawRead getTitle(const std::filesystem::path& path);
// The title as text: the buffer up to its first zero byte.
std::string titleOf(const std::filesystem::path& path);
int setTitle(const std::filesystem::path& path, const std::string& title);

// A sparse file: `head` at 0, `tail` at `tailOffset`, holes elsewhere.
void writeSparse(const std::filesystem::path& path, const std::string& head, int64_t tailOffset, const std::string& tail);
std::string readRange(const std::filesystem::path& path, int64_t offset, size_t size);
uint32_t be32At(const std::string& bytes, size_t offset);

// A USMT atom with the four entries the PSP writes, the title entry's data given raw.
std::string withTitleEntryData(const std::string& titleData);

// Sets the title and checks what every write must leave: the title reads
// back, the atoms fit, the media data and everything before moov are as in
// `original`. Returns "" or what went wrong.
std::string retitleChecked(const std::filesystem::path& path, const std::string& title, const std::string& original);

// Whether the file holds a PSP title atom with a title entry that is not free.
bool hasLiveTitleAtom(const std::string& bytes);

// The small ffmpeg-made PSP videos under tests/data/mp4.
inline const std::filesystem::path kData = std::filesystem::path(REELKEEPER_TEST_DATA) / "mp4";

} // namespace titletest
