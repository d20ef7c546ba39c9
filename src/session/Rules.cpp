// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "session/Rules.h"

namespace session {

ControlStates deriveControls(const ControlFacts& f)
{
    ControlStates s;
    s.input = f.inputEnabled && !f.transferRunning;
    // A video whose title is still being written neither travels nor is listed again
    // meanwhile; the buttons stay on and their command waits for the write (a click
    // that ended a title edit must not be lost), while drops are refused.
    s.writing = f.writingTitle;
    s.transfers = s.input && f.transferAllowed;
    s.toPsp = s.transfers && !f.overflow;
    s.moveTo = s.copyTo = s.toPsp && f.localSelection;
    s.moveFrom = s.copyFrom = s.remove = s.transfers && f.pspSelection;
    // One refresh at a time: never while a list is still filling, nor during the pause.
    s.refresh = s.input && !f.filling && !f.refreshPaused;
    return s;
}

TransferOp dropOperation(const ControlStates& controls, const DropFacts& d)
{
    // The same state as the buttons: nothing while a transfer runs, input is off
    // or a title is still being written (no transfer could start).
    if (!controls.input || controls.writing)
        return OP_NONE;
    const bool toPsp = d.target == ListSide::Psp;
    const bool ownRows = (toPsp && d.source == DragSource::PspList) || (!toPsp && d.source == DragSource::LocalList);
    if (ownRows || !d.carriesVideos)
        return OP_NONE;
    const bool fromPsp = d.source == DragSource::PspList;
    if ((toPsp || fromPsp) && (!controls.transfers || !d.pspFolder))
        return OP_NONE;
    // The computer list's rows are its selection: they go only when "Copy->" could take them.
    if (toPsp && !controls.toPsp && d.source == DragSource::LocalList)
        return OP_NONE;
    if (toPsp)
        return d.shift ? OP_MOVE_TO_PSP : OP_COPY_TO_PSP;
    return fromPsp ? OP_COPY_FROM_PSP : OP_COPY_TO_LOCAL;
}

} // namespace session
