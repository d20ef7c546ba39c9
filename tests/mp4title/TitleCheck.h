// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Checks of what the title writer leaves behind, shared by the title tests and
// the title fuzzer (plain C++, no test framework).

#include <cstdint>
#include <string>
#include <vector>

namespace titlecheck {

// "" when every atom fits: at the top level and in moov's containers each
// atom's children fill it exactly, no atom runs past its parent or the file,
// and no MTDT entry of a PSP title atom runs past its MTDT atom. Otherwise
// what is wrong where.
std::string structureProblem(const std::string& bytes);

// Whether the payload of every top-level mdat of `before` is in `after` at
// the same place, unchanged.
bool mediaKept(const std::string& before, const std::string& after);

// Where the first top-level moov of `bytes` starts (-1 without one; a 32-bit head).
int64_t moovStart(const std::string& bytes);

// The title writer's file operations, counted from 1 once armed.
struct FileOp {
    enum Kind { Write, Sync, Truncate } kind;
    int64_t pos;        // or the new size
    std::string bytes;
};

enum class Inject {
    Record,     // every operation is done and logged
    FailFrom,   // the Nth and every later one fails without effect: a pulled stick, or a crash
    FailOnce,   // only the Nth fails (a write after it wrote half its bytes)
    NoSync,     // syncs are left out: for checks of the layout alone, which run faster
};
void arm(Inject mode, int n = 0);
void disarm();
const std::vector<FileOp>& opLog(); // the operations that were done

// The file a crash leaves after the first `issued` operations of `log`: all of
// them up to the last sync among them, and of the ones after it those whose
// bit is set in `keep` (bit 0 for the first).
std::string crashState(const std::string& original, const std::vector<FileOp>& log, size_t issued, uint32_t keep);
// How many operations of the first `issued` follow the last sync among them.
size_t unsyncedOps(const std::vector<FileOp>& log, size_t issued);

} // namespace titlecheck
