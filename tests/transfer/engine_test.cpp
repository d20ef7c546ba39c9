// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeVolumes.h"
#include "RecordingPrompt.h"
#include "StorageTestSupport.h"
#include "TempDir.h"

#include "platform/FileCopy.h"
#include "transfer/TransferEngine.h"
#include "transfer/TransferJob.h"
#include "media/Media.h"
#include "mp4title/Title.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

using namespace transfer;
namespace fs = std::filesystem;
using platform::PromptAnswer;

namespace {

const QString kOverwrite = "The file name you have specified already exists in the target directory. \nOverwrite it anyway?";

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Copies and removals of chosen paths fail, as on a full or pulled stick or with a read-only
// file; fakeCopy stands in for a copy that says it succeeded.
struct FaultyFileOps : platform::FileOps
{
    FaultyFileOps() { platform::setFileOps(this); }
    ~FaultyFileOps() override { platform::setFileOps(nullptr); }

    platform::CopyResult copyFile(const QString& from, const QString& to, bool failIfExists,
                                  const platform::CopyProgress& progress, const platform::NextName& next) const override
    {
        if (fakeCopy) {
            fakeCopy(to, progress);
            platform::CopyResult faked;
            faked.status = platform::CopyStatus::Ok;
            faked.target = to;
            return faked;
        }
        // A taken name is seen before any fault, as the real copy sees it.
        const bool taken = failIfExists && fs::exists(to.toStdString());
        if (const int error = copyFault && !taken ? copyFault(from, to) : 0) {
            platform::CopyResult failed;
            failed.fault = platform::CopyFault::WriteTarget;
            failed.error = error;
            return failed;
        }
        if (beforeCopy)
            beforeCopy(from, to);
        return platform::FileOps::copyFile(from, to, failIfExists, progress, next);
    }
    platform::FileOpResult removeFile(const QString& path) const override
    {
        const int error = removeFault ? removeFault(path) : 0;
        if (error == 0)
            return platform::FileOps::removeFile(path);
        return {error == EACCES ? platform::FileOpStatus::AccessDenied : platform::FileOpStatus::Failed, error};
    }

    std::optional<Temporary> createTemporary(const QString& folder, platform::FileOpResult* result) const override
    {
        std::optional<Temporary> made = platform::FileOps::createTemporary(folder, result);
        if (made && fullStick) {
            // Writes into the temporary fail as on a full stick.
            const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
            ::dup2(full, made->fd);
            ::close(full);
        }
        return made;
    }
    platform::FileOpResult publishTemporary(const Temporary& temporary, const QString& path, bool replace) const override
    {
        if (beforePublish)
            beforePublish(path);
        return platform::FileOps::publishTemporary(temporary, path, replace);
    }

    bool fullStick = false;
    std::function<void(const QString& path)> beforePublish;
    std::function<int(const QString& from, const QString& to)> copyFault;
    std::function<int(const QString&)> removeFault;
    std::function<void(const QString& to, const platform::CopyProgress&)> fakeCopy;
    std::function<void(const QString& from, const QString& to)> beforeCopy;
};

struct Recorded
{
    std::vector<int> progress;
    QStringList status, nextNums, targets;
    std::vector<ItemOutcome> outcomes;
    TransferEnd end;
};

// A memory stick (a removable volume) with its video folder, and a computer folder.
class Engine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(stick.path() / "PSP/PHOTO");
        emptyPspFolder();
        volumes.add(qpath(stick.path()), true);
    }

    fs::path pspFile(const std::string& name) const { return stick.path() / "MP_ROOT/100MNV01" / name; }
    void emptyPspFolder() const
    {
        fs::remove_all(pspFile(""));
        fs::create_directories(pspFile(""));
    }
    // A video (and its thumbnail) on the computer or the stick.
    TransferItem video(bool onPsp, const std::string& name, const std::string& bytes, bool thumbnail = false,
                       const QString& title = {}) const
    {
        const fs::path path = onPsp ? pspFile(name) : computer.path() / name;
        fs::create_directories(path.parent_path());
        if (thumbnail)
            std::ofstream(fs::path(path).replace_extension(".THM")) << "thumb of " << name;
        std::ofstream(path, std::ios::binary) << markedVideo(bytes);
        return {qpath(path), title};
    }

    Recorded run(TransferOp op, std::vector<TransferItem> items, const QString& nextNum = "00001",
                 std::optional<QString> localText = {}, std::optional<QString> pspPath = {})
    {
        TransferEngine engine({op, std::move(items), localText.value_or(qpath(computer.path())), nextNum,
                               pspPath.value_or(qpath(pspFile(""))), nextNumTyped, ConvertPolicy::Never},
                              cancel);
        prompt.texts.clear();
        prompt.kinds.clear();
        Recorded r;
        QObject::connect(&engine, &TransferEngine::progressChanged, [&r, this](int p) {
            r.progress.push_back(p);
            cancel = cancel || (cancelOnProgress && p > 0);
        });
        QObject::connect(&engine, &TransferEngine::statusTextChanged, [&r](const QString& t) { r.status << t; });
        QObject::connect(&engine, &TransferEngine::nextNumChanged, [&r](const QString& t) { r.nextNums << t; });
        QObject::connect(&engine, &TransferEngine::itemFinished, [&r, this](const ItemOutcome& o) {
            r.outcomes.push_back(o);
            r.targets << o.target.section('/', -1);
            cancel = cancel || cancelAfterAnItem;
        });
        QObject::connect(&engine, &TransferEngine::finished, [&r](const TransferEnd& e) { r.end = e; });
        engine.run();
        return r;
    }

    TempDir stick;
    TempDir computer;
    FakeVolumes volumes;
    RecordingPrompt prompt;
    std::atomic<bool> cancel{false};
    bool cancelAfterAnItem = false;
    bool cancelOnProgress = false;
    bool nextNumTyped = true;
};

} // namespace

TEST(ProgressPercent, TruncatesAndCountsAnEmptyFileAsDone)
{
    const struct
    {
        std::uint64_t total, copied;
        int percent;
    } cases[] = {{0, 0, 100}, {3000000, 0, 0}, {3000000, 1000000, 33}, {3000000, 2999999, 99},
                 {3000000, 3000000, 100}, {1ull << 50, (1ull << 50) - 1, 99}, {10, 11, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(ProgressPercent(c.total, c.copied), c.percent) << c.copied << "/" << c.total;
}

TEST_F(Engine, CopyToPspWithNextNumSevenAsksBeforeOverwriting)
{
    for (const PromptAnswer answer : {PromptAnswer::Yes, PromptAnswer::No}) {
        emptyPspFolder();
        for (int i = 1; i <= 10; ++i)
            video(true, "m4v" + QString::number(i).rightJustified(5, '0').toStdString() + ".mp4", "old");
        prompt.answers = {answer};
        const Recorded r = run(OP_COPY_TO_PSP, {video(false, "a.mp4", "AAAA", true), video(false, "b.mp4", "BB"), video(false, "c.mp4", "C")}, "7");
        const bool yes = answer == PromptAnswer::Yes;
        EXPECT_EQ(prompt.texts, QStringList{kOverwrite});
        EXPECT_EQ(r.nextNums, (QStringList{"00011", "00012", "00013"}));
        EXPECT_EQ(r.targets, (QStringList{yes ? "m4v00007.mp4" : "", "m4v00011.mp4", "m4v00012.mp4"}));
        EXPECT_EQ(r.outcomes[0].status, yes ? ItemStatus::Done : ItemStatus::Skipped);
        EXPECT_EQ(readMarker(pspFile("m4v00007.mp4")), yes ? "AAAA" : "old");
        EXPECT_EQ(fs::exists(pspFile("m4v00007.THM")), yes);
        EXPECT_EQ(readMarker(pspFile("m4v00012.mp4")), "C");
        EXPECT_TRUE(r.end.rebuildPsp && !r.end.rebuildLocal);
    }
}

TEST_F(Engine, NextNumOutsideTheRangeIsToldOnceAndTheNextFreeNameUsed)
{
    const Recorded r = run(OP_COPY_TO_PSP, {video(false, "a.mp4", "A"), video(false, "b.mp4", "B")}, "100000");
    EXPECT_EQ(prompt.texts, QStringList{"You have inputted a invalid number, the valid file number is between 0 to 99999"});
    EXPECT_EQ(r.targets, (QStringList{"m4v00001.mp4", "m4v00002.mp4"}));
}

TEST_F(Engine, MoveToPspTakesTheThumbnailAlongAndLeavesOtherFilesAlone)
{
    // The second video has no "." in its name: the "." of its folder names no thumbnail of it.
    fs::create_directories(computer.path() / "odd.d");
    std::ofstream(computer.path() / "odd.THM") << "not a thumbnail";
    const Recorded r = run(OP_MOVE_TO_PSP, {video(false, "a.mp4", "V1", true), video(false, "odd.d/video", "V2"), video(false, "b.mp4", "V3")});
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join('|').toStdString();
    EXPECT_EQ(r.targets, (QStringList{"m4v00001.mp4", "m4v00002.mp4", "m4v00003.mp4"}));
    EXPECT_EQ(readMarker(pspFile("m4v00001.THM")), "thumb of a.mp4");
    EXPECT_TRUE(fs::is_empty(computer.path() / "odd.d"));
    EXPECT_EQ(std::distance(fs::directory_iterator(computer.path()), {}), 2) << "odd.d and odd.THM stay";
    EXPECT_TRUE(r.end.rebuildLocal && r.end.rebuildPsp);
}

// A video without a thumbnail gets one made from it beside its PSP copy; its own
// thumbnail wins; one that can't be made, or written, is silent; the computer's folder gets nothing.
class MadeThumbnail : public Engine, public ::testing::WithParamInterface<TransferOp>
{
};

TEST_P(MadeThumbnail, BesideThePspCopyOnly)
{
    const std::string clip = readMarker(REELKEEPER_TEST_DATA "/thumbnail/wide.mp4");
    FaultyFileOps ops;
    ops.copyFault = [](const QString&, const QString& to) { return to.endsWith("m4v00004.THM") ? ENOSPC : 0; };
    const Recorded r = run(GetParam(), {video(false, "clip.mp4", clip), video(false, "own.mp4", clip, true),
                                        video(false, "text.mp4", "not a video"), video(false, "full.mp4", clip)});
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join('|').toStdString();
    for (const ItemOutcome& outcome : r.outcomes)
        EXPECT_EQ(outcome.status, ItemStatus::Done);
    EXPECT_EQ(readMarker(pspFile("m4v00001.THM")).substr(0, 4), "\xFF\xD8\xFF\xE0");
    EXPECT_EQ(readMarker(pspFile("m4v00002.THM")), "thumb of own.mp4");
    const auto left = std::distance(fs::directory_iterator(computer.path()), {});
    EXPECT_EQ(left, GetParam() == OP_COPY_TO_PSP ? 5 : 0);
}

INSTANTIATE_TEST_SUITE_P(ToPsp, MadeThumbnail, ::testing::Values(OP_COPY_TO_PSP, OP_MOVE_TO_PSP));

TEST_F(Engine, StartChecks)
{
    const QString folder = qpath(computer.path());
    const struct
    {
        QString localText, pspPath;
        TransferEndKind kind;
        QString used;
        QStringList texts, status;
    } cases[] = {
        {"/", qpath(pspFile("")), TransferEndKind::Normal, "", {}, {"Please do not plug off PSP."}},
        {folder, qpath(computer.path()) + "/", TransferEndKind::Normal, folder, {}, {"The selected file is being operated."}},
        {folder + "/", qpath(pspFile("")), TransferEndKind::InvalidLocalFolder, QDir::homePath(), {"Invalid local file path!"}, {}},
        {"", qpath(pspFile("")), TransferEndKind::InvalidLocalFolder, QDir::homePath(), {"Invalid local file path!"}, {}},
        {folder + "/gone", "", TransferEndKind::InvalidLocalFolder, QDir::homePath(), {"Invalid local file path!"}, {}},
        {folder, "", TransferEndKind::NoPspFolder, "", {}, {}},
    };
    for (const auto& c : cases) {
        const Recorded r = run(OP_MOVE_TO_PSP, {video(false, "a.mp4", "A")}, "1", c.localText, c.pspPath);
        const bool normal = c.kind == TransferEndKind::Normal;
        EXPECT_EQ(r.end.kind, c.kind) << c.localText.toStdString();
        EXPECT_EQ(r.end.localFolder, c.used);
        EXPECT_EQ(r.end.folderEditText, c.kind == TransferEndKind::InvalidLocalFolder ? QDir::homePath() : "");
        EXPECT_EQ(prompt.texts, c.texts);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.outcomes.size(), normal ? 1u : 0u);
        EXPECT_EQ(r.end.updateSpace, normal);
        EXPECT_EQ(r.end.rebuildLocal, c.kind != TransferEndKind::NoPspFolder);
        EXPECT_EQ(r.progress.back(), 0);
    }
}

TEST_F(Engine, DeleteAsksOnceAndTellsOnlyARefusal)
{
    FaultyFileOps ops;
    ops.removeFault = [](const QString& path) {
        return path.endsWith("m4v00002.mp4") ? EACCES : path.endsWith("m4v00003.mp4") ? EIO : 0;
    };
    const std::vector<TransferItem> items{video(true, "m4v00001.mp4", "A", true), video(true, "m4v00002.mp4", "B", true),
                                          video(true, "m4v00003.mp4", "C", true), video(true, "m4v00004.mp4", "D")};
    prompt.answers = {PromptAnswer::No};
    Recorded r = run(OP_DELETE_ON_PSP, items);
    EXPECT_EQ(r.end.kind, TransferEndKind::Short);
    EXPECT_FALSE(r.end.updateSpace || r.end.rebuildPsp);
    EXPECT_EQ(std::distance(fs::directory_iterator(pspFile("")), {}), 7);

    r = run(OP_DELETE_ON_PSP, items);
    EXPECT_EQ(prompt.texts, (QStringList{"Delete the file?", "Delete " + qpath(pspFile("m4v00002.mp4"))
                                                                  + " failed, Maybe the file 's attribute is read-only."}));
    EXPECT_EQ(prompt.kinds, (std::deque{platform::PromptKind::YesNo, platform::PromptKind::Information})) << "the refusal has the information icon";
    EXPECT_EQ(std::distance(fs::directory_iterator(pspFile("")), {}), 4) << "refused videos keep their thumbnails";
    EXPECT_TRUE(fs::exists(pspFile("m4v00002.THM")) && fs::exists(pspFile("m4v00003.THM")));
    EXPECT_EQ(r.end.failed, 2);
    EXPECT_EQ(r.progress, (std::vector<int>{100, 0}));
    EXPECT_EQ(r.nextNums, (QStringList{"00005", "00005", "00005", "00004"}));
}

TEST_F(Engine, FailedCopiesKeepTheSourceAndSaySo)
{
    FaultyFileOps ops;
    ops.copyFault = [](const QString& from, const QString&) { return from.endsWith("m4v00001.mp4") ? ENOSPC : 0; };
        const struct
    {
        TransferOp op;
        QString text;
    } cases[] = {
        {OP_COPY_TO_PSP, "Coyp file failed"},
        {OP_MOVE_TO_PSP, "Move file failed."},
        {OP_COPY_FROM_PSP, "Copy %1 failed, " + reason(ENOSPC) + "."},
        {OP_MOVE_FROM_PSP, "Move %1 failed, " + reason(ENOSPC) + "."},
    };
    for (const auto& c : cases) {
        emptyPspFolder();
        const bool fromPsp = c.op == OP_COPY_FROM_PSP || c.op == OP_MOVE_FROM_PSP;
        const TransferItem item = video(fromPsp, "m4v00001.mp4", "V", true, "Trip");
        const Recorded r = run(c.op, {item, video(fromPsp, "m4v00002.thm", "T")});
        EXPECT_EQ(prompt.texts, QStringList{c.text.arg(item.path)});
        EXPECT_EQ(r.outcomes.at(0).status, ItemStatus::Failed);
        EXPECT_EQ(r.outcomes.at(1).status, ItemStatus::Done) << "the walk goes on";
        EXPECT_EQ(r.outcomes.at(0).reason, reason(ENOSPC));
        EXPECT_EQ(readMarker(item.path.toStdString()), "V");
        EXPECT_TRUE(fs::exists(fs::path(item.path.toStdString()).replace_extension(".THM")));
        // Toward the PSP the second video takes the name the failed one left free.
        EXPECT_EQ(readMarker(pspFile("m4v00001.mp4")), fromPsp ? "V" : "T");
        EXPECT_FALSE(fs::exists(computer.path() / "Trip.mp4"));
    }
}

TEST_F(Engine, AFailedOverwriteThumbnailOrShortCopyIsTold)
{
    FaultyFileOps ops;
    ops.copyFault = [](const QString&, const QString& to) { return to.endsWith(".THM") ? EIO : 0; };
    Recorded r = run(OP_MOVE_FROM_PSP, {video(true, "m4v00001.mp4", "A", true, "Trip")});
    EXPECT_EQ(prompt.texts, QStringList{"Copy " + qpath(pspFile("m4v00001.THM")) + " failed, " + reason(EIO) + "."});
    EXPECT_EQ(r.targets, QStringList{"Trip.mp4"});
    EXPECT_TRUE(fs::exists(pspFile("m4v00001.mp4")) && fs::exists(pspFile("m4v00001.THM")))
        << "a move whose thumbnail could not follow removes nothing";

    video(true, "m4v00005.mp4", "old");
    ops.copyFault = [](const QString&, const QString&) { return EIO; };
    run(OP_COPY_TO_PSP, {video(false, "a.mp4", "new")}, "5");
    EXPECT_EQ(prompt.texts, (QStringList{kOverwrite, "Overwrite " + qpath(pspFile("m4v00005.mp4")) + " failed, " + reason(EIO) + "."}));
    EXPECT_EQ(readMarker(pspFile("m4v00005.mp4")), "old") << "a failed overwrite keeps the old video";

    // A copy that says it is done but is short.
    ops.fakeCopy = [](const QString& to, const platform::CopyProgress&) { std::ofstream(to.toStdString()) << "shor"; };
    run(OP_MOVE_FROM_PSP, {video(true, "m4v00002.mp4", "short", false, "Trip")});
    EXPECT_EQ(prompt.texts, QStringList{"Move " + qpath(pspFile("m4v00002.mp4")) + " failed, the copy is not as long as the source."});
    EXPECT_EQ(readMarker(pspFile("m4v00002.mp4")), "short");
}

TEST_F(Engine, CancelStopsTheCopyAndStartsNoFurtherItem)
{
    cancelAfterAnItem = true;
    Recorded r = run(OP_COPY_TO_PSP, {video(false, "a.mp4", "A"), video(false, "b.mp4", "B")});
    EXPECT_EQ(r.targets, QStringList{"m4v00001.mp4"});
    EXPECT_TRUE(r.end.cancelled);

    // During a copy: the partial target goes, and a stop the user asked for is no failure to tell.
    const std::string big(12 << 20, 'z');
    cancelAfterAnItem = false;
    cancelOnProgress = true;
    for (const TransferOp op : {OP_COPY_TO_PSP, OP_MOVE_FROM_PSP}) {
        cancel = false;
        const bool fromPsp = op == OP_MOVE_FROM_PSP;
        const TransferItem item = video(fromPsp, "m4v00009.mp4", big, false, "Trip");
        r = run(op, {item, video(false, "b.mp4", "B")}, "9");
        EXPECT_EQ(prompt.texts, QStringList{});
        ASSERT_EQ(r.outcomes.size(), 1u);
        EXPECT_EQ(r.outcomes[0].status, ItemStatus::Cancelled);
        EXPECT_TRUE(r.end.cancelled);
        EXPECT_TRUE(readMarker(item.path.toStdString()) == big);
        EXPECT_EQ(std::distance(fs::directory_iterator(pspFile("")), {}), fromPsp ? 3 : 2) << "the first copy and its picture";
        EXPECT_FALSE(fs::exists(computer.path() / "Trip.mp4"));
    }
}

TEST_F(Engine, ProgressIsCoalesced)
{
    // Ten thousand reports in a moment reach the window as a handful.
    FaultyFileOps ops;
    ops.fakeCopy = [](const QString&, const platform::CopyProgress& progress) {
        for (std::uint64_t i = 0; progress && i <= 10000; ++i) // the pictures' copies report nothing
            progress(10000, i);
    };
    QElapsedTimer clock;
    clock.start();
    const Recorded r = run(OP_COPY_TO_PSP, {video(false, "a.mp4", "A"), video(false, "b.mp4", "B")});
    ASSERT_GE(r.progress.size(), 5u);
    EXPECT_LE(static_cast<qint64>(r.progress.size()), 7 + clock.elapsed() / 33);
    EXPECT_EQ(r.progress.front(), 0);
    EXPECT_EQ(r.progress.back(), 0);
    EXPECT_EQ(std::count(r.progress.begin(), r.progress.end(), 100), 2);
    EXPECT_TRUE(std::is_sorted(r.progress.begin(), std::find(r.progress.begin(), r.progress.end(), 100)));
}

// A video sent onto itself (a move of a PSP video to its own number) is
// refused before anything is written, and nothing is removed.
TEST_F(Engine, AVideoIsNeverCopiedOrMovedOntoItself)
{
    for (const TransferOp op : {OP_MOVE_TO_PSP, OP_COPY_TO_PSP}) {
        emptyPspFolder();
        const TransferItem own = video(true, "m4v00001.mp4", "the only copy", true);
        const Recorded r = run(op, {own}, "1");
        const QString verb = op == OP_MOVE_TO_PSP ? "Move " : "Copy ";
        EXPECT_EQ(prompt.texts, QStringList{verb + own.path + " failed, the source and the target are the same file."});
        EXPECT_EQ(r.outcomes.at(0).status, ItemStatus::Failed);
        EXPECT_EQ(readMarker(pspFile("m4v00001.mp4")), "the only copy");
        EXPECT_EQ(readMarker(pspFile("m4v00001.THM")), "thumb of m4v00001.mp4");
    }
}

// Names the program chooses are free pairs (video and thumbnail) when the
// copy claims them: one taken meanwhile, or an orphan thumbnail, moves on to
// the next name without a question, and nothing is replaced.
TEST_F(Engine, ChosenNamesNeverAskAndNeverReplace)
{
    nextNumTyped = false;
    std::ofstream(pspFile("m4v00002.THM")) << "orphan";
    FaultyFileOps ops;
    ops.beforeCopy = [this](const QString&, const QString& to) {
        if (to.endsWith("m4v00001.mp4") && !fs::exists(pspFile("m4v00001.mp4")))
            std::ofstream(pspFile("m4v00001.mp4")) << "another run's video";
    };
    const Recorded r = run(OP_MOVE_TO_PSP, {video(false, "a.mp4", "mine", true)}, "00001");
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join('|').toStdString();
    EXPECT_EQ(r.targets, QStringList{"m4v00003.mp4"});
    EXPECT_EQ(readMarker(pspFile("m4v00001.mp4")), "another run's video");
    EXPECT_EQ(readMarker(pspFile("m4v00002.THM")), "orphan");
    EXPECT_EQ(readMarker(pspFile("m4v00003.THM")), "thumb of a.mp4");
    EXPECT_FALSE(fs::exists(computer.path() / "a.mp4"));

    // Back to the computer: a camera's MVI_1234.AVI and .THM keep theirs.
    std::ofstream(computer.path() / "MVI_1234.AVI") << "camera video";
    std::ofstream(computer.path() / "MVI_1234.THM") << "camera thumb";
    const Recorded back = run(OP_COPY_FROM_PSP, {video(true, "m4v00009.mp4", "V", true, "MVI_1234")});
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(back.targets, QStringList{"MVI_1234(1).mp4"});
    EXPECT_EQ(readMarker(computer.path() / "MVI_1234.THM"), "camera thumb");
    EXPECT_EQ(readMarker(computer.path() / "MVI_1234(1).THM"), "thumb of m4v00009.mp4");
}

// A listing or a look that fails is an error of that item: a message, nothing
// written, the source kept; never "empty" or "free".
TEST_F(Engine, FailedLooksAreErrorsNeverFreeNames)
{
    struct Case
    {
        const char* what;
        TransferOp op;
        bool typed;
        bool failList; // the PSP folder's listing, else looks at names in the target folder
    };
    const Case cases[] = {
        {"PSP listing, chosen name", OP_MOVE_TO_PSP, false, true},
        {"look at a typed name", OP_MOVE_TO_PSP, true, false},
        {"look at a chosen name", OP_MOVE_TO_PSP, false, false},
        {"look at a title's name", OP_MOVE_FROM_PSP, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        emptyPspFolder();
        fs::remove_all(computer.path());
        fs::create_directories(computer.path());
        const bool fromPsp = c.op == OP_MOVE_FROM_PSP;
        const TransferItem item = video(fromPsp, fromPsp ? "m4v00001.mp4" : "a.mp4", "V", true, "Holiday");
        if (fromPsp)
            std::ofstream(computer.path() / "Holiday.mp4") << "user's";
        else
            std::ofstream(pspFile("m4v00001.mp4")) << "old";
        nextNumTyped = c.typed;
        FakeFileSystem files;
        const QString target = fromPsp ? qpath(computer.path()) : qpath(pspFile(""));
        if (c.failList)
            files.failList = [&](const QString& folder) { return folder.startsWith(target) ? EIO : 0; };
        else
            files.failLook = [&](const QString& path) { return path.startsWith(target) ? EIO : 0; };
        const Recorded r = run(c.op, {item}, "1");
        ASSERT_EQ(r.outcomes.size(), 1u);
        EXPECT_EQ(r.outcomes[0].status, ItemStatus::Failed);
        EXPECT_EQ(r.outcomes[0].reason, reason(EIO));
        EXPECT_EQ(prompt.texts.size(), 1) << "one message, no question";
        EXPECT_TRUE(fs::exists(item.path.toStdString()));
        EXPECT_EQ(readMarker(fromPsp ? computer.path() / "Holiday.mp4" : pspFile("m4v00001.mp4")), fromPsp ? "user's" : "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(fromPsp ? computer.path() : pspFile("")), {}), 1);
    }
}

// A stop between the removals of "Delete" never leaves a thumbnail without
// its video: the process is killed at each call in turn.
TEST_F(Engine, DeleteKilledAtEachCallLeavesNoThumbnailAlone)
{
    struct KillingOps : platform::FileOps
    {
        int sys(Sys call, const SysArgs& args) const override
        {
            if (++calls == killAt)
                ::_exit(0);
            return platform::FileOps::sys(call, args);
        }
        mutable int calls = 0;
        int killAt = 0;
    };
    for (int at = 1; at <= 4; ++at) {
        SCOPED_TRACE(at);
        emptyPspFolder();
        const TransferItem item = video(true, "m4v00001.mp4", "V", true);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            KillingOps ops;
            ops.killAt = at;
            platform::setFileOps(&ops);
            run(OP_DELETE_ON_PSP, {item});
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(fs::exists(pspFile("m4v00001.mp4")) || !fs::exists(pspFile("m4v00001.THM")));
        platform::fileOps().removeStaleTemporaries(qpath(pspFile("")), std::time(nullptr) + 2);
        const auto left = std::distance(fs::directory_iterator(pspFile("")), {});
        EXPECT_LE(left, fs::exists(pspFile("m4v00001.mp4")) ? 2 : 0);
    }
}

// A stop that comes after the video landed lets its thumbnail follow, and the
// move ends whole: no PSP copy without its thumbnail, no orphan left behind.
TEST_F(Engine, AStopAfterTheVideoLandedFinishesItsThumbnail)
{
    FaultyFileOps ops;
    ops.beforeCopy = [this](const QString& from, const QString&) { cancel = cancel || from.endsWith(".THM"); };
    const Recorded r = run(OP_MOVE_TO_PSP, {video(false, "a.mp4", "V", true), video(false, "b.mp4", "W")});
    EXPECT_EQ(r.targets, QStringList{"m4v00001.mp4"});
    EXPECT_EQ(r.outcomes[0].status, ItemStatus::Done);
    EXPECT_EQ(readMarker(pspFile("m4v00001.THM")), "thumb of a.mp4");
    EXPECT_FALSE(fs::exists(computer.path() / "a.mp4") || fs::exists(computer.path() / "a.THM"));
    EXPECT_TRUE(fs::exists(computer.path() / "b.mp4"));
}

// A moved video whose source can't be removed is not done: both copies stay.
TEST_F(Engine, AMoveWhoseSourceStaysIsNotDone)
{
    FaultyFileOps ops;
    ops.removeFault = [](const QString& path) { return path.endsWith("a.mp4") ? EIO : 0; };
    const Recorded r = run(OP_MOVE_TO_PSP, {video(false, "a.mp4", "V", true)});
    EXPECT_EQ(r.outcomes.at(0).status, ItemStatus::Failed);
    EXPECT_EQ(r.outcomes.at(0).reason, reason(EIO));
    EXPECT_EQ(r.end.failed, 1);
    EXPECT_TRUE(fs::exists(computer.path() / "a.mp4") && fs::exists(computer.path() / "a.THM"));
    EXPECT_EQ(readMarker(pspFile("m4v00001.mp4")), "V");
}

// The job: the walk on its own thread, its questions answered by id, its end
// reported last, and a job destroyed mid-question answered No and joined.
TEST_F(Engine, JobAsksByIdAndIsJoinedWhenDestroyed)
{
    const TransferItem doomed = video(true, "m4v00001.mp4", "A", true);
    for (const bool destroyMidQuestion : {false, true}) {
        auto job = std::make_unique<TransferJob>(TransferRequest{OP_DELETE_ON_PSP, {doomed}, qpath(computer.path()),
                                                                 "1", qpath(pspFile("")), false});
        std::vector<std::pair<quint64, QString>> questions;
        std::optional<TransferEnd> end;
        QObject context;
        QObject::connect(job.get(), &TransferJob::question, &context,
                         [&](quint64 id, platform::PromptKind kind, const QString& text) {
                             EXPECT_EQ(kind, platform::PromptKind::YesNo);
                             questions.emplace_back(id, text);
                         });
        QObject::connect(job.get(), &TransferJob::finished, &context, [&](const TransferEnd& e) { end = e; });
        job->start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !questions.empty(); }, 3000));
        EXPECT_EQ(questions[0].second, QStringLiteral("Delete the file?"));
        EXPECT_TRUE(job->isRunning());
        if (destroyMidQuestion) {
            job.reset(); // answers No and joins: the video stays
            EXPECT_TRUE(fs::exists(doomed.path.toStdString()));
            continue;
        }
        job->answer(questions[0].first + 1, true); // no such question: ignored
        QTest::qWait(50);
        EXPECT_FALSE(end);
        job->answer(questions[0].first, false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return end.has_value(); }, 3000));
        EXPECT_EQ(end->kind, TransferEndKind::Short);
        EXPECT_FALSE(job->isRunning());
        EXPECT_TRUE(fs::exists(doomed.path.toStdString()));
    }
    EXPECT_TRUE(prompt.texts.isEmpty()) << "a job asks through its signal, never the process-wide prompt";
}

TEST_F(Engine, KilledJobStopsItsCopyAndLeavesNoPart)
{
    // Killed while the overwrite question is open, then Yes: the copy stops at
    // its first chunk and the video it would have replaced is whole.
    const TransferItem item = video(false, "big.mp4", std::string(8 << 20, 'b'));
    const TransferItem old = video(true, "m4v00001.mp4", "old");
    TransferJob job({OP_COPY_TO_PSP, {item}, qpath(computer.path()), "1", qpath(pspFile("")), true});
    std::optional<TransferEnd> end;
    std::vector<ItemOutcome> outcomes;
    QObject context;
    QObject::connect(&job, &TransferJob::question, &context, [&](quint64 id, platform::PromptKind, const QString&) {
        job.kill();
        job.answer(id, true);
    });
    QObject::connect(&job, &TransferJob::itemFinished, &context, [&](const ItemOutcome& o) { outcomes.push_back(o); });
    QObject::connect(&job, &TransferJob::finished, &context, [&](const TransferEnd& e) { end = e; });
    job.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return end.has_value(); }, 10000));
    EXPECT_TRUE(end->cancelled);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].status, ItemStatus::Cancelled);
    EXPECT_EQ(outcomes[0].error, ECANCELED);
    EXPECT_EQ(readMarker(old.path.toStdString()), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(pspFile("")), {}), 1);
}

// Videos the PSP won't play, on their way to it: refused when they are no video,
// converted or copied as they are by the setting (or the answer), a converted
// move keeps its source, and a video without a title gets one on the PSP only.
namespace {

struct ConvertCase
{
    const char* name;
    const char* source;   // "high": 1080p H.264 High; "plain": a PSP-ready clip without a title; "text"
    ConvertPolicy policy;
    std::optional<platform::PromptAnswer> answer; // to the conversion question
    bool converted;       // else copied as it is, or (text) refused
};

class Conversions : public Engine, public ::testing::WithParamInterface<ConvertCase>
{
protected:
    TransferItem clip(const char* kind)
    {
        const fs::path path = computer.path() / (std::string(kind) + ".mp4");
        if (std::string(kind) == "text") {
            std::ofstream(path, std::ios::binary) << "not a video";
            return {qpath(path), {}};
        }
        const std::string args = std::string(kind) == "high"
            ? "-f lavfi -i testsrc2=size=1920x1080:rate=30 -t 1 -c:v libx264 -profile:v high"
            : "-f lavfi -i testsrc2=size=480x272:rate=30 -f lavfi -i sine -t 1 -c:v libx264 -profile:v main "
              "-bf 1 -refs 2 -c:a aac";
        const std::string command = "ffmpeg -nostdin -loglevel error -y " + args + " '" + path.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return {qpath(path), {}};
    }
};

} // namespace

TEST_P(Conversions, FollowTheSettingAndKeepTheSource)
{
    const ConvertCase& c = GetParam();
    const TransferItem item = clip(c.source);
    const std::string before = readMarker(item.path.toStdString());
    if (c.answer)
        prompt.answers.push_back(*c.answer);
    nextNumTyped = false;
    TransferEngine engine({OP_MOVE_TO_PSP, {item}, qpath(computer.path()), "1", qpath(pspFile("")), false, c.policy},
                          cancel);
    std::vector<ItemOutcome> outcomes;
    QObject::connect(&engine, &TransferEngine::itemFinished, [&](const ItemOutcome& o) { outcomes.push_back(o); });
    prompt.texts.clear();
    engine.run();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].converted, c.converted);
    EXPECT_EQ(prompt.texts.filter("Convert it while copying?").size(), c.answer ? 1 : 0) << prompt.texts.join('|').toStdString();
    const fs::path landed = pspFile("m4v00001.mp4");
    if (std::string(c.source) == "text") {
        EXPECT_EQ(prompt.texts.back(), "Move " + item.path + " failed, not a video.");
        EXPECT_TRUE(fs::is_empty(pspFile(""))) << "nothing written to the stick";
        return;
    }
    ASSERT_TRUE(fs::exists(landed));
    EXPECT_EQ(fs::exists(item.path.toStdString()), c.converted) << "a converted move keeps its source";
    if (c.converted) {
        EXPECT_EQ(readMarker(item.path.toStdString()), before);
        EXPECT_TRUE(media::judge(qpath(landed)).plays()) << media::judge(qpath(landed)).text().toStdString();
        EXPECT_TRUE(fs::exists(pspFile("m4v00001.THM")));
    }
    // Titled after the file on the PSP (the source had none).
    EXPECT_EQ(mp4title::readTitle(landed.string()).title, c.source);
    EXPECT_EQ(std::distance(fs::directory_iterator(pspFile("")), {}), 2) << "the video and its picture, no temporary";
}

INSTANTIATE_TEST_SUITE_P(Cases, Conversions, ::testing::Values(
    ConvertCase{"Always", "high", ConvertPolicy::Always, {}, true},
    ConvertCase{"AskedYes", "high", ConvertPolicy::Ask, platform::PromptAnswer::Yes, true},
    ConvertCase{"AskedNo", "high", ConvertPolicy::Ask, platform::PromptAnswer::No, false},
    ConvertCase{"Never", "high", ConvertPolicy::Never, {}, false},
    ConvertCase{"PlaysAndNeedsOnlyATitle", "plain", ConvertPolicy::Always, {}, false},
    ConvertCase{"NotAVideo", "text", ConvertPolicy::Always, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Engine, ACancelledConversionLeavesNothing)
{
    const fs::path path = computer.path() / "long.mp4";
    const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=30 -t 20 "
                                "-c:v libx264 -preset ultrafast -profile:v high '" + path.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    cancelOnProgress = true;
    nextNumTyped = false;
    TransferEngine engine({OP_COPY_TO_PSP, {{qpath(path), {}}}, qpath(computer.path()), "1", qpath(pspFile("")), false,
                           ConvertPolicy::Always},
                          cancel);
    std::vector<ItemOutcome> outcomes;
    QObject::connect(&engine, &TransferEngine::progressChanged, [this](int p) { cancel = cancel || p > 0; });
    QObject::connect(&engine, &TransferEngine::itemFinished, [&](const ItemOutcome& o) { outcomes.push_back(o); });
    QElapsedTimer clock;
    clock.start();
    engine.run();
    EXPECT_LT(clock.elapsed(), 10000);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].status, ItemStatus::Cancelled);
    EXPECT_TRUE(fs::is_empty(pspFile(""))) << "the temporary is gone";
}

// A typed number counts for a converted video too: a free one is taken, a
// taken one asks first (before the work), and the source itself is never replaced.
TEST_F(Engine, ATypedNumberNamesAConvertedVideo)
{
    const struct
    {
        const char* name;
        bool taken;
        std::optional<PromptAnswer> answer;
        bool sourceIsTarget;
    } cases[] = {
        {"free", false, {}, false},
        {"taken, Yes", true, PromptAnswer::Yes, false},
        {"taken, No", true, PromptAnswer::No, false},
        {"the source itself", true, {}, true},
    };
    const fs::path made = computer.path() / "high.mp4";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=640x360:rate=30 -t 0.5 "
                           "-c:v libx264 -profile:v high '" + made.string() + "'").c_str()), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emptyPspFolder();
        const fs::path target = pspFile("m4v00007.mp4");
        if (c.taken) {
            video(true, "m4v00007.mp4", "old", true);
            if (c.sourceIsTarget)
                fs::copy_file(made, target, fs::copy_options::overwrite_existing);
        }
        const std::string before = readFileBytes(target);
        prompt.texts.clear();
        prompt.answers.clear();
        if (c.answer)
            prompt.answers.push_back(*c.answer);
        const QString source = qpath(c.sourceIsTarget ? target : made);
        TransferEngine engine({OP_COPY_TO_PSP, {{source, {}}}, qpath(computer.path()), "7", qpath(pspFile("")), true,
                               ConvertPolicy::Always},
                              cancel);
        std::vector<ItemOutcome> outcomes;
        QObject::connect(&engine, &TransferEngine::itemFinished, [&](const ItemOutcome& o) { outcomes.push_back(o); });
        engine.run();
        ASSERT_EQ(outcomes.size(), 1u);
        const bool replaced = !c.taken || c.answer == PromptAnswer::Yes;
        EXPECT_EQ(prompt.texts, c.answer ? QStringList{kOverwrite} : c.sourceIsTarget
                      ? QStringList{"Convert " + source + " failed, the source and the target are the same file."} : QStringList{});
        EXPECT_EQ(outcomes[0].converted, replaced);
        if (replaced) {
            EXPECT_EQ(outcomes[0].target, qpath(target));
            EXPECT_TRUE(media::judge(qpath(target)).plays());
            EXPECT_NE(readFileBytes(pspFile("m4v00007.THM")), "thumb of m4v00007.mp4");
        } else {
            EXPECT_EQ(readFileBytes(target), before) << "left as it was";
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(pspFile("")), {}), c.taken || replaced ? 2 : 0) << "no temporary";
    }
}

// A conversion that fails (a damaged source, a full stick, a stick pulled before
// the name is given) says why, names the file, leaves no video on the stick and
// its source as it was, and the walk goes on with the next video.
TEST_F(Engine, AFailedConversionIsToldAndTheWalkGoesOn)
{
    const fs::path high = computer.path() / "high.mp4";
    const fs::path plain = computer.path() / "plain.mp4";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=640x360:rate=30 -t 2 -c:v libx264 "
                           "-profile:v high -movflags +faststart '" + high.string() + "' && ffmpeg -nostdin -loglevel error -y "
                           "-f lavfi -i testsrc2=size=480x272:rate=30 -f lavfi -i sine -t 0.3 -c:v libx264 -profile:v main "
                           "-bf 1 -refs 2 -c:a aac '" + plain.string() + "'").c_str()), 0);
    const std::string whole = readFileBytes(high);
    const fs::path damaged = computer.path() / "damaged.mp4";
    std::ofstream(damaged, std::ios::binary) << whole.substr(0, whole.size() * 6 / 10);
    const struct
    {
        const char* name;
        fs::path source;
        std::function<void(FaultyFileOps&)> fault;
        QString reason;
        bool nextLands;
    } cases[] = {
        {"damaged", damaged, [](FaultyFileOps&) {}, "the video is damaged or cut short", true},
        {"full stick", high, [](FaultyFileOps& ops) { ops.fullStick = true; }, reason(ENOSPC), true},
        {"pulled", high, [this](FaultyFileOps& ops) { ops.beforePublish = [this](const QString&) { fs::remove_all(pspFile("")); }; },
         reason(ENOENT), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emptyPspFolder();
        FaultyFileOps ops;
        c.fault(ops);
        const std::string before = readFileBytes(c.source);
        TransferEngine engine({OP_MOVE_TO_PSP, {{qpath(c.source), {}}, {qpath(plain), {}}}, qpath(computer.path()), "1",
                               qpath(pspFile("")), false, ConvertPolicy::Always},
                              cancel);
        std::vector<ItemOutcome> outcomes;
        QObject::connect(&engine, &TransferEngine::itemFinished, [&](const ItemOutcome& o) {
            outcomes.push_back(o);
            ops.fullStick = false;
            ops.beforePublish = nullptr;
        });
        prompt.texts.clear();
        engine.run();
        ASSERT_EQ(outcomes.size(), 2u);
        EXPECT_EQ(outcomes[0].status, ItemStatus::Failed);
        EXPECT_EQ(prompt.texts.value(0), "Convert " + qpath(c.source) + " failed, " + c.reason + ".");
        EXPECT_EQ(readFileBytes(c.source), before) << "the source is untouched";
        EXPECT_EQ(outcomes[1].status, c.nextLands ? ItemStatus::Done : ItemStatus::Failed);
        const std::size_t left = fs::exists(pspFile("")) ? std::distance(fs::directory_iterator(pspFile("")), {}) : 0;
        EXPECT_EQ(left, c.nextLands ? 2u : 0u) << "only the next video and its picture";
        if (c.nextLands)
            std::ofstream(plain, std::ios::binary) << readFileBytes(pspFile("m4v00001.mp4")); // moved: put it back
    }
}
