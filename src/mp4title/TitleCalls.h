#pragma once
// The exported title calls and their process-wide state. The calls are not
// re-entrant: callers inside the program go through mp4title::readTitle and
// friends (Title.h), which hold one process-wide lock.

#include "mp4title/MovReader.h"

#include <cstdint>

#define MP4TITLE_EXPORT __attribute__((visibility("default")))

extern "C" {

enum { TITLE_BUFFER_SIZE = 512, TITLE_MAX_BYTES = 255 };

// Reads the title of `path` into `buffer` (512 bytes, zero-filled by the
// caller): at most 511 bytes of UTF-8 and a terminator. Returns 1 when the
// walk entered a `moov` atom, else 0; the buffer is untouched when there is
// no title.
MP4TITLE_EXPORT int GetTitleName(const char* path, char* buffer);
// Rewrites, creates or (with "") removes the title in place. Returns 1 on
// success; 0 when the file cannot be opened, is no MP4, has no `moov`, has a
// shape the in-place rewrite cannot handle, the title is longer than 255
// bytes, or writing failed. On 0 the file is as it was.
MP4TITLE_EXPORT int SetTitleName(const char* path, const char* title);

MP4TITLE_EXPORT extern char* title_name;
MP4TITLE_EXPORT extern int32_t nTitleSize;
MP4TITLE_EXPORT extern char edit_name[256];
MP4TITLE_EXPORT extern Codec* first_avcodec;

extern int32_t moov_found;
extern int64_t moov_size;
extern int32_t nTruncSize;

// Why the last call gave 0 (or what it found), for the C++ facade.
enum TitleOutcome {
    TITLE_OK = 0,
    TITLE_CANNOT_OPEN,
    TITLE_NOT_MP4,
    TITLE_NO_MOOV,
    TITLE_TOO_LONG,
    TITLE_MOOV_NOT_LAST,        // moov is not the last top-level atom
    TITLE_ATOM_NOT_LAST,        // the title atom is not the last child of moov
    TITLE_LARGE_SIZE,           // 64-bit or open-ended size fields
    TITLE_NO_TITLE_ENTRY,       // a title atom without a title entry
    TITLE_BAD_ATOM,             // the title atom's structure is damaged
    TITLE_BAD_MOOV,             // the walk could not get through moov's children
    TITLE_WRITE_FAILED,
    TITLE_NO_MEMORY,
};
extern int title_outcome;
extern int title_errno;         // errno of a failed write, seek or truncation

} // extern "C"
