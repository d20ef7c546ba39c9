// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "transfer/TransferOp.h"

namespace session {

/** Everything the controls' enabled states follow. */
struct ControlFacts
{
    bool inputEnabled = true;    // EnableInput
    bool transferAllowed = true; // EnableTransferButtons
    bool transferRunning = false;
    bool writingTitle = false;   // a list still writes an edited title into its video
    bool overflow = false;       // the computer list's selection doesn't fit on the PSP
    bool filling = false;        // a list is still filling
    bool refreshPaused = false;  // the moment after a refresh
    bool localSelection = false;
    bool pspSelection = false;
};

/** The enabled state of every control of the window. */
struct ControlStates
{
    bool moveTo = false;   // "Move->"
    bool copyTo = false;   // "Copy->"
    bool moveFrom = false; // "<-Move"
    bool copyFrom = false; // "<-Copy"
    bool remove = false;   // "Delete"
    bool input = false;    // Browse, the folder field, the drives, "Next Num" and both lists
    bool refresh = false;  // "&Refresh"
    bool transfers = false; // a transfer could start now (the drops follow it too)
    bool toPsp = false;     // and one to the PSP
    bool writing = false;   // a title is being written: nothing travels
    bool operator==(const ControlStates&) const = default;
};

ControlStates deriveControls(const ControlFacts& facts);

enum class ListSide { Local, Psp };
enum class DragSource { Outside, LocalList, PspList };

/** What a drop onto a list is, apart from which files it carries. */
struct DropFacts
{
    ListSide target = ListSide::Local;
    DragSource source = DragSource::Outside;
    bool shift = false;         // Shift held: a drop onto the PSP list moves
    bool pspFolder = false;     // a PSP folder is in use
    bool carriesVideos = false; // the drop carries videos the target would take
};

/** The transfer a drop would start, or OP_NONE when the list refuses it. */
TransferOp dropOperation(const ControlStates& controls, const DropFacts& drop);

} // namespace session
