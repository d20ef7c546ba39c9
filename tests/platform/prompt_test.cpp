#include "RecordingPrompt.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

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
    // The worker waits for the answer while this thread's events serve the question.
    auto answer = std::async(std::launch::async, [] { return askYesNo("Delete the file?"); });
    for (int i = 0; i < 1000 && answer.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(answer.get());
    EXPECT_EQ(recorder.askedOn.load(), app.thread());
    EXPECT_EQ(recorder.textsCopy(), QStringList{"Delete the file?"});
}
