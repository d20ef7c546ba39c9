#include "RecordingPrompt.h"

#include <gtest/gtest.h>

TEST(Prompt, RecordsTextsAndAnswersQuestionsInOrder)
{
    RecordingPrompt recorder;
    recorder.answers = {platform::PromptAnswer::No, platform::PromptAnswer::Yes};
    platform::showMessage(nullptr, "Invalid file path!");
    EXPECT_FALSE(platform::askYesNo(nullptr, "Stop the program?"));
    EXPECT_TRUE(platform::askYesNo(nullptr, "again"));
    EXPECT_TRUE(platform::askYesNo(nullptr, "empty queue answers Yes"));
    ASSERT_EQ(recorder.texts.size(), 4);
    EXPECT_EQ(recorder.texts[0], "Invalid file path!");
    EXPECT_EQ(recorder.kinds[0], platform::PromptKind::Ok);
    EXPECT_EQ(recorder.kinds[1], platform::PromptKind::YesNo);
}

TEST(Prompt, RestoresTheDefaultWhenTheRecorderGoes)
{
    platform::Prompt* before = &platform::prompt();
    {
        RecordingPrompt recorder;
        EXPECT_EQ(&platform::prompt(), &recorder);
    }
    EXPECT_EQ(&platform::prompt(), before);
}
