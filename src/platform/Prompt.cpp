#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <cstdio>

namespace platform {
namespace {

class NoPrompt : public Prompt
{
public:
    PromptAnswer ask(const QString& text, PromptKind kind) override
    {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return kind == PromptKind::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
};

NoPrompt g_noPrompt;
std::atomic<Prompt*> g_prompt{nullptr};

} // namespace

Prompt& prompt()
{
    Prompt* current = g_prompt.load();
    return current ? *current : g_noPrompt;
}

void setPrompt(Prompt* replacement)
{
    g_prompt = replacement;
}

PromptAnswer ask(const QString& text, PromptKind kind)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return prompt().ask(text, kind);
    // A worker's question: the window thread shows it while the worker waits.
    PromptAnswer answer = PromptAnswer::No;
    QMetaObject::invokeMethod(
        app, [&] { answer = prompt().ask(text, kind); }, Qt::BlockingQueuedConnection);
    return answer;
}

void showMessage(const QString& text)
{
    ask(text, PromptKind::Ok);
}

bool askYesNo(const QString& text)
{
    return ask(text, PromptKind::YesNo) == PromptAnswer::Yes;
}

PromptAnswer DefaultAnswerPrompt::ask(const QString& text, PromptKind kind)
{
    // The default button of a Yes/No box is Yes, as with the real boxes.
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    return kind == PromptKind::Ok ? PromptAnswer::Ok : PromptAnswer::Yes;
}

} // namespace platform
