// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "transfer/TransferJob.h"

#include <QThread>

namespace transfer {

TransferJob::TransferJob(TransferRequest request, QObject* parent)
    : QObject(parent)
    , m_op(request.op)
{
    qRegisterMetaType<platform::PromptKind>("platform::PromptKind");
    m_engine = std::make_unique<TransferEngine>(
        std::move(request), m_cancel,
        [this](platform::PromptKind kind, const QString& text) { return askOnWorker(kind, text); });
    // The engine's signals come from the worker; the job lives here, so they queue.
    TransferEngine* engine = m_engine.get();
    connect(engine, &TransferEngine::progressChanged, this, &TransferJob::progressChanged, Qt::QueuedConnection);
    connect(engine, &TransferEngine::statusTextChanged, this, &TransferJob::statusTextChanged, Qt::QueuedConnection);
    connect(engine, &TransferEngine::itemStarted, this, &TransferJob::itemStarted, Qt::QueuedConnection);
    connect(engine, &TransferEngine::itemFinished, this, &TransferJob::itemFinished, Qt::QueuedConnection);
    connect(engine, &TransferEngine::nextNumChanged, this, &TransferJob::nextNumChanged, Qt::QueuedConnection);
    connect(
        engine, &TransferEngine::finished, this,
        [this](const TransferEnd& end) {
            m_finished = true;
            emit finished(end);
        },
        Qt::QueuedConnection);
}

TransferJob::~TransferJob()
{
    kill();
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_answered.notify_all();
    if (m_thread) {
        m_thread->wait();
        m_thread.reset();
    }
    // The engine's queued reports still in flight die with it (their connections go).
    m_engine.reset();
}

void TransferJob::start()
{
    if (m_started)
        return;
    m_started = true;
    m_thread.reset(QThread::create([engine = m_engine.get()] { engine->run(); }));
    m_thread->setObjectName(QStringLiteral("transfer"));
    m_thread->start();
}

void TransferJob::kill()
{
    m_cancel.store(true);
}

void TransferJob::answer(quint64 id, bool yes)
{
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_pending.find(id);
        if (it == m_pending.end() || it->second)
            return;
        it->second = yes;
    }
    m_answered.notify_all();
}

bool TransferJob::askOnWorker(platform::PromptKind kind, const QString& text)
{
    quint64 id = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (m_closing)
            return false;
        id = m_nextId++;
        m_pending.emplace(id, std::nullopt);
    }
    // Emitted on the worker: queued to the job's thread.
    emit question(id, kind, text);
    std::unique_lock lock(m_mutex);
    m_answered.wait(lock, [&] { return m_closing || m_pending[id].has_value(); });
    const bool yes = m_pending[id].value_or(false);
    m_pending.erase(id);
    return yes;
}

} // namespace transfer
