// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/MountWatcher.h"
#include "session/Rules.h"
#include "transfer/TransferOp.h"

#include <QString>

#include <utility>
#include <vector>

namespace session {

enum class SessionState { Idle, Filling, Transferring, Closing };

/** What the window does after a close request, an answer or a transfer's end. */
enum class CloseStep {
    None,     // nothing: keep going
    Ask,      // ask "Stop the program?"
    Stop,     // stop the transfer; the window closes when it has ended
    CloseNow, // store the settings and close
};

/** What the window does once a transfer has ended. */
struct TransferEndSteps
{
    CloseStep close = CloseStep::None;
    std::vector<platform::VolumeEvent> released; // drive events held meanwhile, in order
};

/**
 * The main window's state without the window: the PSP folder in use, the
 * operation running, the drive events held while it runs, the close request,
 * and the facts the controls follow. Every rule of the window that is not
 * drawing lives here or in Rules.h, so it is tested without widgets.
 */
class PspSession
{
public:
    SessionState state() const;

    // The PSP folder in use: its path ends with a separator, or is empty.
    const QString& pspPath() const { return m_pspPath; }
    void setPspPath(const QString& path) { m_pspPath = path; }
    /** The root of the drive in use, or empty. */
    QString pspRoot() const;
    bool hasPsp() const { return !m_pspPath.isEmpty(); }

    // The operation running.
    /** Takes op when nothing runs and no title is being written; false: refused. */
    bool beginTransfer(TransferOp op, bool writingTitle);
    TransferOp operation() const { return m_op; }
    bool isTransferring() const { return m_op != OP_NONE; }
    /** A command given while a title is written: carried out once the writes have ended. */
    void deferUntilWritten(TransferOp op) { m_deferredOp = op; }
    void deferRefreshUntilWritten() { m_deferredRefresh = true; }
    /** The deferred command, once; OP_NONE when there is none. */
    TransferOp takeDeferredTransfer() { return std::exchange(m_deferredOp, OP_NONE); }
    bool takeDeferredRefresh() { return std::exchange(m_deferredRefresh, false); }
    /** The operation has ended: the close rule's step and the drive events to handle now. */
    TransferEndSteps endTransfer();

    /** A drive event: true when it is held until the running transfer ends. */
    bool holdDriveEvent(const platform::VolumeEvent& event);
    int heldDriveEvents() const { return static_cast<int>(m_held.size()); }

    // The close rule. Only one close is in progress at a time.
    CloseStep requestClose();
    CloseStep closeAnswered(bool yes);
    bool isAskingToClose() const { return m_close == Close::Asking; }
    bool isClosingWhenIdle() const { return m_close == Close::WhenIdle; }

    // Facts the controls follow.
    void setInputEnabled(bool enabled) { m_facts.inputEnabled = enabled; }
    void setTransferAllowed(bool allowed) { m_facts.transferAllowed = allowed; }
    void setOverflow(bool overflow) { m_facts.overflow = overflow; }
    bool overflow() const { return m_facts.overflow; }
    /** The lists' own facts: fills, titles being written, selections, the refresh pause. */
    void setListFacts(bool filling, bool writingTitle, bool localSelection, bool pspSelection, bool refreshPaused);
    ControlStates controls() const;

private:
    enum class Close { Open, Asking, WhenIdle };

    QString m_pspPath;
    TransferOp m_op = OP_NONE;
    std::vector<platform::VolumeEvent> m_held;
    Close m_close = Close::Open;
    ControlFacts m_facts;
    TransferOp m_deferredOp = OP_NONE;
    bool m_deferredRefresh = false;
};

} // namespace session
