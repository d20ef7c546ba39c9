// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "session/PspSession.h"
#include "session/Rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace session;

namespace {

// A fact switched off or on, from the state where everything could run.
struct ControlCase
{
    const char* name;
    void (*change)(ControlFacts&);
    ControlStates expected; // moveTo, copyTo, moveFrom, copyFrom, remove, input, refresh, transfers, toPsp, writing
};

ControlFacts everythingPossible()
{
    ControlFacts f;
    f.localSelection = f.pspSelection = true;
    return f;
}

const ControlCase kControlCases[] = {
    {"AllPossible", [](ControlFacts&) {}, {true, true, true, true, true, true, true, true, true, false}},
    {"InputOff", [](ControlFacts& f) { f.inputEnabled = false; }, {}},
    {"Transferring", [](ControlFacts& f) { f.transferRunning = true; }, {}},
    {"TransfersOff", [](ControlFacts& f) { f.transferAllowed = false; },
     {false, false, false, false, false, true, true, false, false, false}},
    // The buttons stay on while a title is written; their command waits for it.
    {"WritingTitle", [](ControlFacts& f) { f.writingTitle = true; },
     {true, true, true, true, true, true, true, true, true, true}},
    {"Overflow", [](ControlFacts& f) { f.overflow = true; },
     {false, false, true, true, true, true, true, true, false, false}},
    {"Filling", [](ControlFacts& f) { f.filling = true; }, {true, true, true, true, true, true, false, true, true, false}},
    {"RefreshPause", [](ControlFacts& f) { f.refreshPaused = true; },
     {true, true, true, true, true, true, false, true, true, false}},
    {"NoLocalSelection", [](ControlFacts& f) { f.localSelection = false; },
     {false, false, true, true, true, true, true, true, true, false}},
    {"NoPspSelection", [](ControlFacts& f) { f.pspSelection = false; },
     {true, true, false, false, false, true, true, true, true, false}},
};

class Controls : public ::testing::TestWithParam<ControlCase>
{
};

} // namespace

TEST_P(Controls, FollowTheFacts)
{
    ControlFacts facts = everythingPossible();
    GetParam().change(facts);
    EXPECT_EQ(deriveControls(facts), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Controls, ::testing::ValuesIn(kControlCases),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct DropCase
{
    const char* name;
    ListSide target;
    DragSource source;
    bool shift;
    void (*change)(ControlFacts&, DropFacts&);
    TransferOp expected;
};

const DropCase kDropCases[] = {
    {"OutsideToComputer", ListSide::Local, DragSource::Outside, false, nullptr, OP_COPY_TO_LOCAL},
    {"OutsideToComputerWithoutPsp", ListSide::Local, DragSource::Outside, false,
     [](ControlFacts& f, DropFacts& d) { f.transferAllowed = false; d.pspFolder = false; }, OP_COPY_TO_LOCAL},
    {"OutsideToPsp", ListSide::Psp, DragSource::Outside, false, nullptr, OP_COPY_TO_PSP},
    {"OutsideToPspWithShift", ListSide::Psp, DragSource::Outside, true, nullptr, OP_MOVE_TO_PSP},
    {"ComputerRowsToPsp", ListSide::Psp, DragSource::LocalList, false, nullptr, OP_COPY_TO_PSP},
    {"PspRowsToComputer", ListSide::Local, DragSource::PspList, true, nullptr, OP_COPY_FROM_PSP},
    {"OwnRowsBack", ListSide::Psp, DragSource::PspList, false, nullptr, OP_NONE},
    {"OwnComputerRowsBack", ListSide::Local, DragSource::LocalList, false, nullptr, OP_NONE},
    {"NoVideos", ListSide::Local, DragSource::Outside, false,
     [](ControlFacts&, DropFacts& d) { d.carriesVideos = false; }, OP_NONE},
    {"NoPspFolder", ListSide::Psp, DragSource::Outside, false,
     [](ControlFacts&, DropFacts& d) { d.pspFolder = false; }, OP_NONE},
    {"PspRowsWithoutPspFolder", ListSide::Local, DragSource::PspList, false,
     [](ControlFacts&, DropFacts& d) { d.pspFolder = false; }, OP_NONE},
    {"WhileTransferring", ListSide::Local, DragSource::Outside, false,
     [](ControlFacts& f, DropFacts&) { f.transferRunning = true; }, OP_NONE},
    {"WhileWritingATitle", ListSide::Local, DragSource::Outside, false,
     [](ControlFacts& f, DropFacts&) { f.writingTitle = true; }, OP_NONE},
    {"ToPspWhenTransfersAreOff", ListSide::Psp, DragSource::Outside, false,
     [](ControlFacts& f, DropFacts&) { f.transferAllowed = false; }, OP_NONE},
    // What doesn't fit stays: the computer list's rows are its selection.
    {"ComputerRowsThatDoNotFit", ListSide::Psp, DragSource::LocalList, false,
     [](ControlFacts& f, DropFacts&) { f.overflow = true; }, OP_NONE},
    {"OutsideFilesWhileTheSelectionDoesNotFit", ListSide::Psp, DragSource::Outside, false,
     [](ControlFacts& f, DropFacts&) { f.overflow = true; }, OP_COPY_TO_PSP},
};

class Drops : public ::testing::TestWithParam<DropCase>
{
};

} // namespace

TEST_P(Drops, StartTheTransferTheButtonsWould)
{
    const DropCase& c = GetParam();
    ControlFacts facts = everythingPossible();
    DropFacts drop{c.target, c.source, c.shift, true, true};
    if (c.change)
        c.change(facts, drop);
    EXPECT_EQ(dropOperation(deriveControls(facts), drop), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Drops, ::testing::ValuesIn(kDropCases),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

// The close rule at every point: a script of events and the step each gives.
enum class Event { Begin, Close, Yes, No, End };

struct CloseCase
{
    const char* name;
    std::vector<std::pair<Event, CloseStep>> script;
};

const CloseCase kCloseCases[] = {
    {"IdleClosesAtOnce", {{Event::Close, CloseStep::CloseNow}}},
    {"AskedWhileRunningThenNo",
     {{Event::Begin, CloseStep::None}, {Event::Close, CloseStep::Ask}, {Event::No, CloseStep::None},
      {Event::End, CloseStep::None}, {Event::Close, CloseStep::CloseNow}}},
    {"YesStopsAndTheEndCloses",
     {{Event::Begin, CloseStep::None}, {Event::Close, CloseStep::Ask}, {Event::Yes, CloseStep::Stop},
      {Event::Close, CloseStep::None}, {Event::End, CloseStep::CloseNow}}},
    // The transfer ends while the question is open: the answer decides.
    {"EndWhileAskingThenYes",
     {{Event::Begin, CloseStep::None}, {Event::Close, CloseStep::Ask}, {Event::End, CloseStep::None},
      {Event::Yes, CloseStep::CloseNow}}},
    {"EndWhileAskingThenNo",
     {{Event::Begin, CloseStep::None}, {Event::Close, CloseStep::Ask}, {Event::End, CloseStep::None},
      {Event::No, CloseStep::None}, {Event::Close, CloseStep::CloseNow}}},
    {"SecondRequestWhileAskingIsIgnored",
     {{Event::Begin, CloseStep::None}, {Event::Close, CloseStep::Ask}, {Event::Close, CloseStep::None},
      {Event::No, CloseStep::None}, {Event::Close, CloseStep::Ask}}},
    {"StrayAnswerChangesNothing", {{Event::Yes, CloseStep::None}, {Event::Close, CloseStep::CloseNow}}},
};

class CloseRule : public ::testing::TestWithParam<CloseCase>
{
};

} // namespace

TEST_P(CloseRule, StepsAtEveryPoint)
{
    PspSession s;
    int line = 0;
    for (const auto& [event, expected] : GetParam().script) {
        CloseStep step = CloseStep::None;
        switch (event) {
        case Event::Begin:
            ASSERT_TRUE(s.beginTransfer(OP_COPY_TO_PSP, false));
            EXPECT_EQ(s.state(), SessionState::Transferring);
            break;
        case Event::Close:
            step = s.requestClose();
            break;
        case Event::Yes:
        case Event::No:
            step = s.closeAnswered(event == Event::Yes);
            break;
        case Event::End:
            step = s.endTransfer().close;
            break;
        }
        EXPECT_EQ(step, expected) << "at step " << line;
        ++line;
    }
    if (GetParam().script.back().second == CloseStep::CloseNow)
        EXPECT_EQ(s.state(), SessionState::Idle) << "a window shown again starts open";
}

INSTANTIATE_TEST_SUITE_P(Scripts, CloseRule, ::testing::ValuesIn(kCloseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Session, HoldsDriveEventsAndOneTransferAtATime)
{
    PspSession s;
    const platform::VolumeEvent gone{platform::VolumeEvent::Kind::Removal, {QStringLiteral("/media/stick")}};
    EXPECT_FALSE(s.holdDriveEvent(gone)) << "idle: handled at once";
    EXPECT_FALSE(s.beginTransfer(OP_COPY_TO_PSP, true)) << "a title is being written";
    ASSERT_TRUE(s.beginTransfer(OP_DELETE_ON_PSP, false));
    EXPECT_FALSE(s.beginTransfer(OP_COPY_TO_PSP, false));
    EXPECT_TRUE(s.holdDriveEvent(gone));
    EXPECT_TRUE(s.holdDriveEvent({platform::VolumeEvent::Kind::Arrival, {QStringLiteral("/media/b")}}));
    const TransferEndSteps steps = s.endTransfer();
    ASSERT_EQ(steps.released.size(), 2u);
    EXPECT_EQ(steps.released[0].kind, platform::VolumeEvent::Kind::Removal);
    EXPECT_EQ(s.heldDriveEvents(), 0);
    EXPECT_EQ(s.state(), SessionState::Idle);
    s.setListFacts(true, false, false, false, false);
    EXPECT_EQ(s.state(), SessionState::Filling);
}
