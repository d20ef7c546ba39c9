#include "RecordingPrompt.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

TEST(Prompt, RecordsTextsAndAnswersQuestionsInOrder)
{
    RecordingPrompt recorder;
    recorder.answers = {platform::PromptAnswer::No, platform::PromptAnswer::Yes};
    platform::showMessage("Invalid file path!");
    EXPECT_FALSE(platform::askYesNo("Stop the program?"));
    EXPECT_TRUE(platform::askYesNo("again"));
    EXPECT_TRUE(platform::askYesNo("empty queue answers Yes"));
    ASSERT_EQ(recorder.texts.size(), 4);
    EXPECT_EQ(recorder.texts[0], "Invalid file path!");
    EXPECT_EQ(recorder.kinds[0], platform::PromptKind::Ok);
    EXPECT_EQ(recorder.kinds[1], platform::PromptKind::YesNo);
}

TEST(Prompt, WithoutAPromptQuestionsAreAnsweredNo)
{
    EXPECT_FALSE(platform::askYesNo("Delete the file?"));
    {
        RecordingPrompt recorder;
        EXPECT_EQ(&platform::prompt(), &recorder);
    }
    EXPECT_FALSE(platform::askYesNo("Delete the file?"));
}

namespace {

// Answers on the thread it is asked on and notes which one that was.
class ThreadNotingPrompt : public RecordingPrompt
{
public:
    platform::PromptAnswer ask(const QString& text, platform::PromptKind kind) override
    {
        askedOn = QThread::currentThread();
        return RecordingPrompt::ask(text, kind);
    }
    std::atomic<QThread*> askedOn{nullptr};
};

} // namespace

TEST(Prompt, AQuestionFromAWorkerIsAnsweredOnTheApplicationThread)
{
    ThreadNotingPrompt recorder;
    recorder.answers = {platform::PromptAnswer::No};
    std::atomic<int> answer{-1};
    QThread* worker = QThread::create([&] { answer = platform::askYesNo("Delete the file?") ? 1 : 0; });
    // The worker waits for the answer while this thread's event loop serves the question.
    QObject::connect(worker, &QThread::finished, QCoreApplication::instance(), &QCoreApplication::quit);
    worker->start();
    QTimer::singleShot(10000, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    worker->wait();
    delete worker;
    EXPECT_EQ(answer.load(), 0);
    EXPECT_EQ(recorder.askedOn.load(), QCoreApplication::instance()->thread());
    EXPECT_EQ(recorder.textsCopy(), QStringList{"Delete the file?"});
}
