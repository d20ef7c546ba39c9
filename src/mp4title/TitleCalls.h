// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
// Rewrites, creates or (with "") removes the title. Returns 1 once the change
// is on the disk and reads back; 0 when the file cannot be opened or locked,
// is no MP4, has no `moov`, has a shape no safe write can handle, the title is
// longer than 255 bytes or not UTF-8, or writing failed; title_outcome says
// which, and a failed write leaves a file with its old or its new title.
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
    TITLE_CANNOT_OPEN,          // title_errno says why
    TITLE_IN_USE,               // another program holds the file's lock
    TITLE_NOT_MP4,
    TITLE_NO_MOOV,
    TITLE_TOO_LONG,
    TITLE_BAD_TEXT,             // the new title is not valid UTF-8
    TITLE_LARGE_SIZE,           // moov has a 64-bit size
    TITLE_FRAGMENTED,           // moof or mvex atoms
    TITLE_MOOV_NESTED,          // the moov the walk reads is not at the top level
    TITLE_BAD_MOOV,             // moov's children do not add up to its size
    TITLE_CUT_SHORT,            // an atom runs past the end of the file
    TITLE_BAD_SIZE_FIELD,       // a top-level atom has a size field of 2 to 7
    TITLE_NOT_READ_BACK,        // the walk would not reach a new title; title_walk_error says why
    TITLE_STRAY_ATOMS,          // header atoms after moov would hide a moov written after them
    TITLE_TOO_BIG,              // moov would outgrow a 32-bit size
    TITLE_WRITE_FAILED,         // title_errno and title_state say what happened
    TITLE_READ_BACK_WRONG,      // written, but the file does not read the expected title
    TITLE_NO_MEMORY,
    TITLE_HIDDEN,               // damaged atoms would lead a reader past the change; nothing was written
};
// The file's state after TITLE_WRITE_FAILED.
enum TitleState {
    TITLE_STATE_UNCHANGED = 1,  // verified byte for byte
    TITLE_STATE_OLD,            // reads its old title
    TITLE_STATE_UNCONFIRMED,    // the new title was written, but its sync failed
    TITLE_STATE_UNKNOWN,        // could not be read back
};
extern int title_outcome;
extern int title_errno;         // errno of a failed open or write
extern int title_state;
extern int title_walk_error;    // the walk result that made TITLE_NOT_READ_BACK

} // extern "C"
