// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Prompt.h"
#include "transfer/TransferEngine.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

class QThread;

namespace transfer {

/**
 * One transfer as a job, after KDE's KJob: start() runs the engine on a
 * thread the job owns, kill() stops it at its next chunk, and everything the
 * engine has to say arrives as queued signals on the job's thread. Questions
 * and messages come as question(id, kind, text); the walk waits until
 * answer(id, yes) is called. The job owns its cancel token and joins its
 * thread before it goes: destroying a running job kills it, answers its open
 * question No and waits for the walk to stop (a chunk at most).
 */
class TransferJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferJob)

public:
    explicit TransferJob(TransferRequest request, QObject* parent = nullptr);
    ~TransferJob() override;

    /** Starts the walk; once only. */
    void start();
    /** Raises the cancel flag: the running copy stops at its next chunk, no further item starts. */
    void kill();
    /** The answer to question id (true: Yes or OK); an unknown or answered id is ignored. */
    void answer(quint64 id, bool yes);

    TransferOp operation() const { return m_op; }
    bool isRunning() const { return m_started && !m_finished; }
    bool isKilled() const { return m_cancel.load(); }

Q_SIGNALS:
    void progressChanged(int percent, quint64 copied, quint64 total);
    void statusTextChanged(const QString& text);
    void itemStarted(const QString& source);
    void itemFinished(const transfer::ItemOutcome& outcome);
    void nextNumChanged(const QString& text);
    /** A question (YesNo) or a message (Ok) the walk waits on; answer it with answer(id, ...). */
    void question(quint64 id, platform::PromptKind kind, const QString& text);
    /** The walk has ended; the last signal. The thread is joined by the time the job is destroyed. */
    void finished(const transfer::TransferEnd& end);

private:
    bool askOnWorker(platform::PromptKind kind, const QString& text);

    const TransferOp m_op;
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<TransferEngine> m_engine;
    std::unique_ptr<QThread> m_thread;
    bool m_started = false;
    bool m_finished = false;

    // Questions the walk waits on, by id; answered ones carry their answer.
    std::mutex m_mutex;
    std::condition_variable m_answered;
    quint64 m_nextId = 1;
    std::map<quint64, std::optional<bool>> m_pending;
    bool m_closing = false; // the destructor runs: every open question is No
};

} // namespace transfer
