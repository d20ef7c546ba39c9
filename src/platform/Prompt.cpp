// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QtGlobal>

#include <atomic>
#include <cstdio>
#include <future>
#include <memory>
#include <optional>

namespace platform {
namespace {

class NoPrompt : public ImmediatePrompt
{
public:
    PromptAnswer answer(const QString& text, PromptKind kind) override
    {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return unanswered(kind);
    }
};

NoPrompt g_noPrompt;
std::atomic<Prompt*> g_prompt{nullptr};
std::atomic<quint64> g_nextId{1};

bool onApplicationThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// The waiting side of a worker's request. Whoever holds the last reference
// without having answered (a dropped callback, a queued call that never ran)
// answers unanswered(kind) by letting it go, so the worker never waits forever.
class PendingAnswer
{
public:
    explicit PendingAnswer(PromptKind kind)
        : m_kind(kind)
    {
    }
    ~PendingAnswer() { set(unanswered(m_kind)); }
    void set(PromptAnswer answer)
    {
        if (!m_bSet.exchange(true))
            m_promise.set_value(answer);
    }
    std::future<PromptAnswer> future() { return m_promise.get_future(); }

private:
    const PromptKind m_kind;
    std::atomic<bool> m_bSet{false};
    std::promise<PromptAnswer> m_promise;
};

void askHere(const PromptRequest& request, PromptDone done)
{
    prompt().ask(request, [done = std::move(done)](PromptAnswer answer) {
        if (done)
            done(answer);
    });
}

} // namespace

void ImmediatePrompt::ask(const PromptRequest& request, PromptDone done)
{
    done(answer(request.text, request.kind));
}

Prompt& prompt()
{
    Prompt* current = g_prompt.load();
    return current ? *current : g_noPrompt;
}

void setPrompt(Prompt* replacement)
{
    g_prompt = replacement;
}

quint64 ask(const QString& text, PromptKind kind, PromptDone done)
{
    PromptRequest request{g_nextId++, text, kind};
    if (onApplicationThread())
        askHere(request, std::move(done));
    else
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [request, done = std::move(done)]() mutable { askHere(request, std::move(done)); },
            Qt::QueuedConnection);
    return request.id;
}

void showMessage(const QString& text)
{
    ask(text, PromptKind::Ok);
}

void askYesNo(const QString& text, std::function<void(bool yes)> done)
{
    ask(text, PromptKind::YesNo, [done = std::move(done)](PromptAnswer answer) {
        if (done)
            done(answer == PromptAnswer::Yes);
    });
}

PromptAnswer waitForAnswer(const QString& text, PromptKind kind)
{
    if (onApplicationThread()) {
        // Only an answer given at once counts: this thread never waits.
        auto answer = std::make_shared<std::optional<PromptAnswer>>();
        auto asked = std::make_shared<bool>(true);
        ask(text, kind, [answer, asked](PromptAnswer given) {
            if (*asked)
                *answer = given;
        });
        *asked = false;
        if (!answer->has_value())
            qWarning("A question on the application's thread was not answered at once: %s", qPrintable(text));
        return answer->value_or(unanswered(kind));
    }
    // A worker's question: the window thread shows it while the worker waits.
    auto pending = std::make_shared<PendingAnswer>(kind);
    std::future<PromptAnswer> answer = pending->future();
    ask(text, kind, [pending](PromptAnswer given) { pending->set(given); });
    pending.reset();
    return answer.get();
}

bool waitForYes(const QString& text)
{
    return waitForAnswer(text, PromptKind::YesNo) == PromptAnswer::Yes;
}

void waitForMessage(const QString& text, PromptKind kind)
{
    waitForAnswer(text, kind == PromptKind::YesNo ? PromptKind::Ok : kind);
}

PromptAnswer DefaultAnswerPrompt::answer(const QString& text, PromptKind kind)
{
    // The default button of a Yes/No box is Yes, as with the real boxes.
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    return kind == PromptKind::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

} // namespace platform
