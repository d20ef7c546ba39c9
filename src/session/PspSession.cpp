// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "session/PspSession.h"

#include "storage/PspDrives.h"

namespace session {

SessionState PspSession::state() const
{
    if (m_close != Close::Open)
        return SessionState::Closing;
    if (isTransferring())
        return SessionState::Transferring;
    return m_facts.filling ? SessionState::Filling : SessionState::Idle;
}

QString PspSession::pspRoot() const
{
    return storage::RootOfPspPath(m_pspPath);
}

bool PspSession::beginTransfer(TransferOp op, bool writingTitle)
{
    // Only one worker ever runs: a second click before the controls went grey is refused.
    if (isTransferring() || writingTitle || op == OP_NONE || m_close != Close::Open)
        return false;
    m_op = op;
    return true;
}

TransferEndSteps PspSession::endTransfer()
{
    TransferEndSteps steps;
    m_op = OP_NONE;
    // A Yes to "Stop the program?" given before the end closes now; one still
    // to come closes when it is given.
    if (m_close == Close::WhenIdle) {
        m_close = Close::Open;
        steps.close = CloseStep::CloseNow;
        return steps;
    }
    steps.released.swap(m_held);
    return steps;
}

bool PspSession::holdDriveEvent(const platform::VolumeEvent& event)
{
    // A running transfer took its paths when it started: nothing may change them under it.
    if (!isTransferring())
        return false;
    m_held.push_back(event);
    return true;
}

CloseStep PspSession::requestClose()
{
    // While the question is open or the window waits for the transfer, further requests change nothing.
    if (m_close != Close::Open)
        return CloseStep::None;
    if (!isTransferring())
        return CloseStep::CloseNow;
    m_close = Close::Asking;
    return CloseStep::Ask;
}

CloseStep PspSession::closeAnswered(bool yes)
{
    if (m_close != Close::Asking)
        return CloseStep::None;
    if (!yes) {
        m_close = Close::Open;
        return CloseStep::None;
    }
    // The transfer may have ended while the question was open.
    if (!isTransferring()) {
        m_close = Close::Open;
        return CloseStep::CloseNow;
    }
    // It stops at its next chunk; the window closes when it reports its end.
    m_close = Close::WhenIdle;
    return CloseStep::Stop;
}

void PspSession::setListFacts(bool filling, bool writingTitle, bool localSelection, bool pspSelection,
                              bool refreshPaused)
{
    m_facts.filling = filling;
    m_facts.writingTitle = writingTitle;
    m_facts.localSelection = localSelection;
    m_facts.pspSelection = pspSelection;
    m_facts.refreshPaused = refreshPaused;
}

ControlStates PspSession::controls() const
{
    ControlFacts facts = m_facts;
    facts.transferRunning = isTransferring();
    return deriveControls(facts);
}

} // namespace session
