// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

/** The operation codes of the transfer commands; OP_NONE while idle. */
enum TransferOp : int {
    OP_MOVE_TO_PSP = 0,
    OP_COPY_TO_PSP = 1,
    OP_MOVE_FROM_PSP = 2,
    OP_COPY_FROM_PSP = 3,
    OP_DELETE_ON_PSP = 4,
    OP_NONE = 5,
    // Videos dropped from elsewhere onto the computer list; no PSP is involved.
    OP_COPY_TO_LOCAL = 6,
};
