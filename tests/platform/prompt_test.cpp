#include "RecordingPrompt.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

using namespace platform;

TEST(Prompt, RecordsTextsAnswersInOrderAndSaysNoWhenNoneIsInstalled)
{
    EXPECT_FALSE(askYesNo("Delete the file?"));
    {
        RecordingPrompt recorder;
        EXPECT_EQ(&prompt(), &recorder);
        recorder.answers = {PromptAnswer::No, PromptAnswer::Yes};
        showMessage("Invalid file path!");
        EXPECT_FALSE(askYesNo("Stop the program?"));
        EXPECT_TRUE(askYesNo("again"));
        EXPECT_TRUE(askYesNo("empty queue answers Yes"));
        ASSERT_EQ(recorder.texts.size(), 4);
        EXPECT_EQ(recorder.texts[0], "Invalid file path!");
        EXPECT_EQ(recorder.kinds[0], PromptKind::Ok);
        EXPECT_EQ(recorder.kinds[1], PromptKind::YesNo);
    }
    EXPECT_FALSE(askYesNo("Delete the file?"));
}

TEST(Prompt, AQuestionFromAWorkerIsAnsweredOnTheApplicationThread)
{
    int argc = 1;
    char name[] = "platform_tests", *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    struct ThreadNotingPrompt : RecordingPrompt
    {
        PromptAnswer ask(const QString& text, PromptKind kind) override
        {
            askedOn = QThread::currentThread();
            return RecordingPrompt::ask(text, kind);
        }
        std::atomic<QThread*> askedOn{nullptr};
    } recorder;
    recorder.answers = {PromptAnswer::No};
    std::atomic<int> answer{-1};
    QThread* worker = QThread::create([&] { answer = askYesNo("Delete the file?") ? 1 : 0; });
    // The worker waits for the answer while this thread's event loop serves the question.
    QObject::connect(worker, &QThread::finished, qApp, &QCoreApplication::quit);
    worker->start();
    QTimer::singleShot(10000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    worker->wait();
    delete worker;
    EXPECT_EQ(answer.load(), 0);
    EXPECT_EQ(recorder.askedOn.load(), qApp->thread());
    EXPECT_EQ(recorder.textsCopy(), QStringList{"Delete the file?"});
}
