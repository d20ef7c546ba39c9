// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RecordingPrompt.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <vector>

using namespace platform;

TEST(Prompt, RecordsTextsAnswersInOrderAndSaysNoWhenNoneIsInstalled)
{
    EXPECT_FALSE(waitForYes("Delete the file?"));
    {
        RecordingPrompt recorder;
        EXPECT_EQ(&prompt(), &recorder);
        recorder.answers = {PromptAnswer::No, PromptAnswer::Yes};
        showMessage("Invalid file path!");
        std::optional<bool> first;
        askYesNo("Stop the program?", [&](bool yes) { first = yes; });
        EXPECT_EQ(first, false);
        EXPECT_TRUE(waitForYes("again"));
        EXPECT_TRUE(waitForYes("empty queue answers Yes"));
        ASSERT_EQ(recorder.texts.size(), 4);
        EXPECT_EQ(recorder.texts[0], "Invalid file path!");
        EXPECT_EQ(recorder.kinds[0], PromptKind::Ok);
        EXPECT_EQ(recorder.kinds[1], PromptKind::YesNo);
    }
    EXPECT_FALSE(waitForYes("Delete the file?"));
}

class WorkerPrompt : public ::testing::Test
{
protected:
    // Serves this thread's events until the worker's answer is in (or a second has passed).
    static void serve(std::future<bool>& answer, int rounds = 100)
    {
        for (int i = 0; i < rounds && answer.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready; ++i)
            QCoreApplication::processEvents();
    }

    int argc = 1;
    char name[16] = "platform_tests";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

TEST_F(WorkerPrompt, AQuestionFromAWorkerWaitsForItsAnswerGivenLaterOnTheApplicationThread)
{
    RecordingPrompt recorder;
    recorder.holding = true;
    std::atomic<QThread*> worker{nullptr};
    auto answer = std::async(std::launch::async, [&] {
        worker = QThread::currentThread();
        return waitForYes("Delete the file?");
    });
    serve(answer, 20);
    // The request reached the prompt here; the worker still waits for it.
    const auto held = recorder.held();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].kind, PromptKind::YesNo);
    EXPECT_EQ(answer.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    EXPECT_FALSE(recorder.answer(held[0].id, "Delete the file", PromptAnswer::Yes)) << "not its exact text";
    EXPECT_FALSE(recorder.answer(held[0].id + 1, "Delete the file?", PromptAnswer::Yes)) << "not its id";
    ASSERT_TRUE(recorder.answer(held[0].id, "Delete the file?", PromptAnswer::Yes));
    serve(answer);
    EXPECT_TRUE(answer.get());
    EXPECT_NE(worker.load(), app.thread());
}

TEST_F(WorkerPrompt, AWorkersQuestionThatIsDroppedUnansweredIsNo)
{
    // A prompt that goes away (its window closed) without answering what it was asked.
    struct Dropping : Prompt
    {
        void ask(const PromptRequest& request, PromptDone) override { ids.push_back(request.id); }
        std::vector<quint64> ids;
    } dropping;
    setPrompt(&dropping);
    auto answer = std::async(std::launch::async, [] { return waitForYes("Overwrite it anyway?"); });
    serve(answer);
    ASSERT_EQ(answer.wait_for(std::chrono::milliseconds(0)), std::future_status::ready);
    EXPECT_FALSE(answer.get());
    ASSERT_EQ(dropping.ids.size(), 1u);
    setPrompt(nullptr);
}
