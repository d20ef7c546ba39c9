// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The title writer: plans a title change as a short series of writes that
// leaves a good file wherever it stops, runs it through a table of file
// operations (which tests replace to stop or fail at any write), and says
// truthfully what state a failure left the file in.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" {

// Every change the writer makes to a file goes through these; each returns 0
// or a negative errno value.
struct TitleFileOps {
    int (*write_at)(int fd, const void* buf, size_t size, int64_t pos);
    int (*sync)(int fd);
    int (*truncate)(int fd, int64_t size);
};
extern TitleFileOps title_file_ops;
extern const TitleFileOps title_default_file_ops;

struct ByteStream;
struct FormatContext;
// Writes the complete title atom for `s->title`, dated `s->timestamp`, into
// `pb` and returns its size.
int mov_write_usmt_atom(ByteStream* pb, FormatContext* s);

} // extern "C"

namespace mp4title {

// The 16 bytes of the PSP title atom's UUID.
extern const unsigned char kUsmtUuid[16];

// What the walk of SetTitleName found.
struct WalkFindings {
    int64_t moovStart = -1;
    int64_t moovEnd = -1;
    bool moovTopLevel = false;
    int64_t reach = -1;         // the walk got through moov's children up to here
    int walkError = 0;          // what ended it early, if anything
    int64_t takenStart = -1;    // the title atom the walk takes, if any
    std::string oldTitle;
};

struct WriteOutcome {
    int outcome = 0;            // a TitleOutcome
    int err = 0;                // errno of a failed operation
    int state = 0;              // a TitleState after a failed write
    int64_t cut = 0;            // bytes the file became shorter
};

// The file as a planned series of writes and cuts would leave it: what the
// descriptor holds, with the operations applied in order.
struct FileView {
    struct Op {
        bool cut;           // a truncate to `pos`, else `bytes` written at `pos`
        int64_t pos;
        std::string bytes;
    };
    int fd = -1;
    int64_t baseSize = 0;
    int64_t size = 0;
    std::vector<Op> ops;
};
// Reads up to `size` bytes of the view at `pos`; returns how many (0 at its end).
int64_t view_read(const FileView& view, int64_t pos, unsigned char* buf, int64_t size);

// Reads the title the file now holds (or, with a view, would hold) into
// `title`, and where the title atom the walk takes starts into `taken` (-1
// without one): 1, or 0 when the walk finds no moov, or -1 when reading fails.
using ReadBack = int (*)(void* context, const FileView* view, std::string* title, int64_t* taken);

// Writes `title` (valid UTF-8; "" removes every title atom) into `fd`, which
// the caller holds open for reading and writing and locked.
WriteOutcome write_title(int fd, const WalkFindings& walk, const std::string& title, ReadBack readBack, void* context);

// The title atom the program creates: fixed entry, encoder, title, date of `when`.
std::string fresh_title_atom(const std::string& title, int64_t when);

} // namespace mp4title
