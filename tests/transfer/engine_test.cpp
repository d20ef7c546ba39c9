#include "FakeVolumes.h"
#include "RecordingPrompt.h"
#include "TempDir.h"

#include "transfer/FileOps.h"
#include "transfer/TransferEngine.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <sys/mount.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace transfer;
namespace fs = std::filesystem;
using platform::PromptAnswer;

namespace {

const QString kOverwrite = "The file name you have specified already exists in the target directory. \nOverwrite it anyway?";
const QString kInvalidNumber = "You have inputted a invalid number, the valid file number is between 0 to 99999";

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

// Makes single copies and removals fail, as a full or pulled stick and a
// refused delete would; everything else is the real thing.
class FaultyFileOps : public FileOps
{
public:
    FaultyFileOps() { setFileOps(this); }
    ~FaultyFileOps() override { setFileOps(nullptr); }

    int copy(const QString& from, const QString& to, CopyMode mode, const CopyProgress& progress) override
    {
        const int error = copyFault ? copyFault(to) : 0;
        if (error == 0)
            return FileOps::copy(from, to, mode, progress);
        // Fails after the first chunk has been written.
        const int result = FileOps::copy(from, to, mode, [&](std::uint64_t total, std::uint64_t copied) {
            return copied == 0 && progress(total, copied);
        });
        return result == ECANCELED ? error : result;
    }
    int remove(const QString& path) override
    {
        const int error = removeFault ? removeFault(path) : 0;
        return error != 0 ? error : FileOps::remove(path);
    }

    std::function<int(const QString& target)> copyFault;
    std::function<int(const QString& path)> removeFault;
};

struct Recorded
{
    std::vector<int> progress;
    QStringList status;
    QStringList nextNums;
    std::vector<ItemOutcome> outcomes;
    std::optional<TransferEnd> end;
    QStringList targets() const
    {
        QStringList out;
        for (const ItemOutcome& o : outcomes)
            out << o.target.section('/', -1);
        return out;
    }
};

void record(TransferEngine& engine, Recorded& r)
{
    QObject::connect(&engine, &TransferEngine::progressChanged, [&r](int p) { r.progress.push_back(p); });
    QObject::connect(&engine, &TransferEngine::statusTextChanged, [&r](const QString& t) { r.status << t; });
    QObject::connect(&engine, &TransferEngine::nextNumChanged, [&r](const QString& t) { r.nextNums << t; });
    QObject::connect(&engine, &TransferEngine::itemFinished, [&r](const ItemOutcome& o) { r.outcomes.push_back(o); });
    QObject::connect(&engine, &TransferEngine::finished, [&r](const TransferEnd& e) { r.end = e; });
}

// A memory stick (declared removable) with its video folder, and a computer folder.
class Engine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(stick.path() / "PSP/PHOTO");
        fs::create_directories(stick.path() / "MP_ROOT/100MNV01");
        volumes.add(q(stick.path()), true);
        psp = q(stick.path()) + "/MP_ROOT/100MNV01/";
        local = q(computer.path());
    }

    fs::path pspFile(const std::string& name) const { return stick.path() / "MP_ROOT/100MNV01" / name; }
    TransferItem localVideo(const std::string& name, const std::string& bytes, bool thumbnail = false) const
    {
        if (thumbnail)
            computer.write(fs::path(name).replace_extension(".THM").string(), "thumb of " + name);
        return {q(computer.write(name, bytes)), {}};
    }
    TransferItem pspVideo(const std::string& name, const std::string& bytes, const QString& title = {},
                          bool thumbnail = false) const
    {
        if (thumbnail)
            stick.write("MP_ROOT/100MNV01/" + fs::path(name).replace_extension(".THM").string(), "thumb of " + name);
        return {q(stick.write("MP_ROOT/100MNV01/" + name, bytes)), title};
    }

    Recorded run(TransferOp op, std::vector<TransferItem> items, const QString& nextNum = "00001",
                 std::optional<QString> localText = {}, std::optional<QString> pspPath = {})
    {
        TransferEngine engine({op, std::move(items), localText.value_or(local), nextNum, pspPath.value_or(psp)}, cancel);
        Recorded r;
        record(engine, r);
        if (onItem)
            QObject::connect(&engine, &TransferEngine::itemFinished, onItem);
        if (onProgress)
            QObject::connect(&engine, &TransferEngine::progressChanged, onProgress);
        engine.run();
        return r;
    }

    TempDir stick;
    TempDir computer;
    FakeVolumes volumes;
    RecordingPrompt prompt;
    std::atomic<bool> cancel{false};
    std::function<void(const ItemOutcome&)> onItem;
    std::function<void(int)> onProgress;
    QString psp;
    QString local;
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
        for (int i = 1; i <= 10; ++i)
            stick.write("MP_ROOT/100MNV01/m4v" + QString::number(i).rightJustified(5, '0').toStdString() + ".mp4", "old");
        fs::remove(pspFile("m4v00007.THM"));
        fs::remove(pspFile("m4v00011.mp4"));
        fs::remove(pspFile("m4v00012.mp4"));
        prompt.texts.clear();
        prompt.answers = {answer};
        const Recorded r = run(OP_COPY_TO_PSP, {localVideo("a.mp4", "AAAA", true), localVideo("b.mp4", "BB"),
                                                localVideo("c.mp4", "C")}, "7");
        EXPECT_EQ(prompt.texts, QStringList{kOverwrite});
        EXPECT_EQ(r.nextNums, (QStringList{"00011", "00012", "00013"}));
        const bool yes = answer == PromptAnswer::Yes;
        EXPECT_EQ(r.targets(), (QStringList{yes ? "m4v00007.mp4" : "", "m4v00011.mp4", "m4v00012.mp4"}));
        EXPECT_EQ(r.outcomes[0].status, yes ? ItemStatus::Done : ItemStatus::Skipped);
        EXPECT_EQ(readFileBytes(pspFile("m4v00007.mp4")), yes ? "AAAA" : "old");
        EXPECT_EQ(fs::exists(pspFile("m4v00007.THM")), yes);
        EXPECT_EQ(readFileBytes(pspFile("m4v00012.mp4")), "C");
        EXPECT_TRUE(fs::exists(computer.path() / "a.mp4"));
        ASSERT_TRUE(r.end);
        EXPECT_EQ(r.end->kind, TransferEndKind::Normal);
        EXPECT_TRUE(r.end->updateSpace && r.end->rebuildPsp && !r.end->rebuildLocal);
        EXPECT_EQ(r.status, QStringList{"Please do not plug off PSP."});
    }
}

TEST_F(Engine, NextNumOutsideTheRangeIsToldOnceAndTheNextFreeNameUsed)
{
    const struct
    {
        QString nextNum;
        QStringList texts;
        QStringList targets;
    } cases[] = {
        {"", {}, {"m4v00000.mp4", "m4v00001.mp4"}},
        {"100000", {kInvalidNumber}, {"m4v00001.mp4", "m4v00002.mp4"}},
        {"-3", {kInvalidNumber}, {"m4v00001.mp4", "m4v00002.mp4"}},
    };
    for (const auto& c : cases) {
        for (const auto& entry : fs::directory_iterator(pspFile("")))
            fs::remove(entry.path());
        prompt.texts.clear();
        const Recorded r = run(OP_COPY_TO_PSP, {localVideo("a.mp4", "A"), localVideo("b.mp4", "B")}, c.nextNum);
        EXPECT_EQ(prompt.texts, c.texts) << c.nextNum.toStdString();
        EXPECT_EQ(r.targets(), c.targets) << c.nextNum.toStdString();
    }
}

TEST_F(Engine, MoveToPspTakesTheThumbnailAlongAndLeavesOtherFilesAlone)
{
    // The second video has no "." in its name: the "." of its folder names no thumbnail of it.
    computer.write("odd.THM", "not a thumbnail");
    const TransferItem plain{q(computer.write("odd.d/video", "V2")), {}};
    const Recorded r = run(OP_MOVE_TO_PSP, {localVideo("a.mp4", "V1", true), plain, localVideo("b.mp4", "V3")});
    EXPECT_TRUE(prompt.texts.isEmpty()) << prompt.texts.join('|').toStdString();
    EXPECT_EQ(r.targets(), (QStringList{"m4v00001.mp4", "m4v00002.mp4", "m4v00003.mp4"}));
    EXPECT_EQ(readFileBytes(pspFile("m4v00001.THM")), "thumb of a.mp4");
    EXPECT_FALSE(fs::exists(pspFile("m4v00002.THM")));
    EXPECT_FALSE(fs::exists(pspFile("m4v00003.THM")));
    EXPECT_FALSE(fs::exists(computer.path() / "a.mp4"));
    EXPECT_FALSE(fs::exists(computer.path() / "a.THM"));
    EXPECT_FALSE(fs::exists(computer.path() / "odd.d/video"));
    EXPECT_TRUE(fs::exists(computer.path() / "odd.THM"));
    EXPECT_TRUE(r.end->rebuildLocal && r.end->rebuildPsp);
}

TEST_F(Engine, ChecksTheLocalFolderFirst)
{
    const struct
    {
        QString text;
        bool valid;
        QString used;
    } cases[] = {
        {"/", true, ""},
        {local, true, local},
        {local + "/", false, {}},
        {"", false, {}},
        {local + "/missing", false, {}},
    };
    for (const auto& c : cases) {
        prompt.texts.clear();
        const Recorded r = run(OP_COPY_FROM_PSP, {}, "1", c.text);
        ASSERT_TRUE(r.end);
        if (c.valid) {
            EXPECT_TRUE(prompt.texts.isEmpty());
            EXPECT_EQ(r.end->kind, TransferEndKind::Normal);
            EXPECT_EQ(r.end->localFolder, c.used);
        } else {
            EXPECT_EQ(prompt.texts, QStringList{"Invalid local file path!"}) << c.text.toStdString();
            EXPECT_EQ(r.end->kind, TransferEndKind::InvalidLocalFolder);
            EXPECT_EQ(r.end->folderEditText, QDir::homePath());
            EXPECT_TRUE(r.end->rebuildLocal && !r.end->rebuildPsp && !r.end->updateSpace);
            EXPECT_TRUE(r.status.isEmpty());
        }
        EXPECT_EQ(r.progress.back(), 0);
    }
}

TEST_F(Engine, NoPspFolderEndsAtOnceWithoutAWord)
{
    const Recorded r = run(OP_COPY_TO_PSP, {localVideo("a.mp4", "A")}, "1", {}, QString());
    EXPECT_EQ(r.end->kind, TransferEndKind::NoPspFolder);
    EXPECT_TRUE(r.outcomes.empty() && r.status.isEmpty() && prompt.texts.isEmpty());
    EXPECT_FALSE(r.end->updateSpace || r.end->rebuildLocal || r.end->rebuildPsp);
}

TEST_F(Engine, BusyTextNamesThePspOnlyOnAPsp)
{
    volumes.remove(q(stick.path()) + "/");
    volumes.add(q(stick.path()), false);
    EXPECT_EQ(run(OP_COPY_FROM_PSP, {}).status, QStringList{"The selected file is being operated."});
}

TEST_F(Engine, DeleteAskedOnceAnsweredNoChangesNothing)
{
    prompt.answers = {PromptAnswer::No};
    const Recorded r = run(OP_DELETE_ON_PSP, {pspVideo("m4v00001.mp4", "A", {}, true)});
    EXPECT_EQ(prompt.texts, QStringList{"Delete the file?"});
    EXPECT_EQ(r.end->kind, TransferEndKind::Short);
    EXPECT_FALSE(r.end->updateSpace || r.end->rebuildPsp);
    EXPECT_EQ(r.status.size(), 1) << "the busy text stays";
    EXPECT_TRUE(r.outcomes.empty());
    EXPECT_TRUE(fs::exists(pspFile("m4v00001.mp4")) && fs::exists(pspFile("m4v00001.THM")));
}

TEST_F(Engine, DeleteTellsOnlyARefusalAndKeepsThatThumbnail)
{
    FaultyFileOps ops;
    ops.removeFault = [](const QString& path) {
        return path.endsWith("m4v00002.mp4") ? EACCES : path.endsWith("m4v00003.mp4") ? EIO : 0;
    };
    const Recorded r = run(OP_DELETE_ON_PSP, {pspVideo("m4v00001.mp4", "A", {}, true), pspVideo("m4v00002.mp4", "B", {}, true),
                                              pspVideo("m4v00003.mp4", "C", {}, true), pspVideo("m4v00004.mp4", "D")});
    EXPECT_EQ(prompt.texts, (QStringList{"Delete the file?", "Delete " + q(pspFile("m4v00002.mp4"))
                                                                  + " failed, Maybe the file 's attribute is read-only."}));
    EXPECT_FALSE(fs::exists(pspFile("m4v00001.mp4")) || fs::exists(pspFile("m4v00001.THM")));
    EXPECT_TRUE(fs::exists(pspFile("m4v00002.mp4")) && fs::exists(pspFile("m4v00002.THM")));
    EXPECT_TRUE(fs::exists(pspFile("m4v00003.THM")));
    EXPECT_FALSE(fs::exists(pspFile("m4v00004.mp4")));
    EXPECT_EQ(r.end->failed, 2);
    EXPECT_EQ(r.progress, (std::vector<int>{100, 0}));
    EXPECT_EQ(r.nextNums, (QStringList{"00005", "00005", "00005", "00004"}));
}

TEST_F(Engine, FailedCopiesKeepTheSourceAndSaySo)
{
    FaultyFileOps ops;
    ops.copyFault = [](const QString& to) { return to.endsWith(".mp4") ? ENOSPC : 0; };
    const std::string big(6 << 20, 'x'); // two chunks: the first lands before the failure
    const QString full = QString::fromLocal8Bit(strerror(ENOSPC));
    const struct
    {
        TransferOp op;
        bool fromPsp;
        QString text;
    } cases[] = {
        {OP_COPY_TO_PSP, false, "Coyp file failed"},
        {OP_MOVE_TO_PSP, false, "Move file failed."},
        {OP_COPY_FROM_PSP, true, "Copy %1 failed, " + full + "."},
        {OP_MOVE_FROM_PSP, true, "Move %1 failed, " + full + "."},
    };
    for (const auto& c : cases) {
        prompt.texts.clear();
        const TransferItem item = c.fromPsp ? pspVideo("m4v00001.mp4", big, "Trip", true) : localVideo("a.mp4", big, true);
        const Recorded r = run(c.op, {item});
        EXPECT_EQ(prompt.texts, QStringList{c.text.arg(item.path)});
        EXPECT_EQ(r.outcomes.at(0).status, ItemStatus::Failed);
        EXPECT_EQ(r.outcomes.at(0).reason, full);
        EXPECT_TRUE(readFileBytes(item.path.toStdString()) == big);
        EXPECT_TRUE(fs::exists(fs::path(item.path.toStdString()).replace_extension(".THM")));
        EXPECT_FALSE(fs::exists(pspFile("m4v00001.mp4")) && !c.fromPsp);
        EXPECT_FALSE(fs::exists(computer.path() / "Trip.mp4"));
        fs::remove(computer.path() / "Trip.THM");
    }
}

TEST_F(Engine, AFailedOverwriteOrThumbnailCopyIsTold)
{
    FaultyFileOps ops;
    ops.copyFault = [](const QString& to) { return to.endsWith(".THM") ? EIO : 0; };
    const Recorded r = run(OP_MOVE_FROM_PSP, {pspVideo("m4v00001.mp4", "A", "Trip", true)});
    const QString thumbnail = q(pspFile("m4v00001.THM"));
    EXPECT_EQ(prompt.texts, QStringList{"Copy " + thumbnail + " failed, " + QString::fromLocal8Bit(strerror(EIO)) + "."});
    EXPECT_EQ(r.targets(), QStringList{"Trip.mp4"});
    EXPECT_FALSE(fs::exists(pspFile("m4v00001.mp4")));
    EXPECT_TRUE(fs::exists(pspFile("m4v00001.THM"))) << "a thumbnail whose copy failed stays";

    stick.write("MP_ROOT/100MNV01/m4v00005.mp4", "old");
    ops.copyFault = [](const QString&) { return EIO; };
    prompt.texts.clear();
    run(OP_COPY_TO_PSP, {localVideo("a.mp4", "new")}, "5");
    EXPECT_EQ(prompt.texts, (QStringList{kOverwrite, "Overwrite " + q(pspFile("m4v00005.mp4")) + " failed, "
                                                         + QString::fromLocal8Bit(strerror(EIO)) + "."}));
    EXPECT_EQ(readFileBytes(pspFile("m4v00005.mp4")), "old") << "a failed overwrite keeps the old video";
}

TEST_F(Engine, MoveKeepsTheSourceWhenTheCopyIsNotWhole)
{
    // The target folder goes away while the copy runs: what was written is gone with it.
    onProgress = [this](int percent) {
        if (percent > 0)
            fs::remove_all(stick.path() / "MP_ROOT");
    };
    const std::string big(10 << 20, 'y');
    Recorded r = run(OP_MOVE_TO_PSP, {localVideo("a.mp4", big, true), localVideo("b.mp4", "B")});
    EXPECT_TRUE(readFileBytes(computer.path() / "a.mp4") == big);
    EXPECT_TRUE(fs::exists(computer.path() / "a.THM") && fs::exists(computer.path() / "b.mp4"));
    EXPECT_EQ(prompt.texts, (QStringList{"Move file failed.", "Move file failed."}));
    EXPECT_EQ(r.end->failed, 2);

    // A copy that says it is done but is short.
    fs::create_directories(pspFile(""));
    struct ShortCopy : FileOps
    {
        ShortCopy() { setFileOps(this); }
        ~ShortCopy() override { setFileOps(nullptr); }
        int copy(const QString&, const QString& to, CopyMode, const CopyProgress&) override
        {
            std::ofstream(to.toStdString()) << "shor";
            return 0;
        }
    } ops;
    onProgress = nullptr;
    prompt.texts.clear();
    r = run(OP_MOVE_FROM_PSP, {pspVideo("m4v00001.mp4", "short", "Trip")});
    EXPECT_EQ(prompt.texts, QStringList{"Move " + q(pspFile("m4v00001.mp4")) + " failed, the copy is not as long as the source."});
    EXPECT_EQ(readFileBytes(pspFile("m4v00001.mp4")), "short");
}

TEST_F(Engine, CopyFromPspNamesByTitleAndMoveRemovesTheSource)
{
    computer.write("Trip.mp4", "taken");
    const Recorded r = run(OP_MOVE_FROM_PSP, {pspVideo("m4v00001.mp4", "A", "Trip", true), pspVideo("m4v00002.mp4", "B")});
    EXPECT_TRUE(prompt.texts.isEmpty());
    EXPECT_EQ(r.targets(), (QStringList{"Trip(1).mp4", "m4v00002.mp4"}));
    EXPECT_EQ(readFileBytes(computer.path() / "Trip(1).THM"), "thumb of m4v00001.mp4");
    EXPECT_EQ(readFileBytes(computer.path() / "Trip.mp4"), "taken");
    EXPECT_TRUE(fs::is_empty(pspFile("")));
    EXPECT_EQ(r.nextNums, (QStringList{"00003", "00001"}));
    EXPECT_TRUE(r.end->rebuildLocal && r.end->rebuildPsp);
}

TEST_F(Engine, CancelBetweenItemsStartsNoFurtherItem)
{
    onItem = [this](const ItemOutcome&) { cancel = true; };
    const Recorded r = run(OP_COPY_TO_PSP, {localVideo("a.mp4", "A"), localVideo("b.mp4", "B")});
    EXPECT_EQ(r.outcomes.size(), 1u);
    EXPECT_TRUE(r.end->cancelled);
    EXPECT_FALSE(fs::exists(pspFile("m4v00002.mp4")));
    EXPECT_EQ(r.end->kind, TransferEndKind::Normal);
}

TEST_F(Engine, CancelDuringACopyRemovesThePartialTarget)
{
    onProgress = [this](int percent) {
        if (percent > 0)
            cancel = true;
    };
    const std::string big(12 << 20, 'z');
    Recorded r = run(OP_COPY_TO_PSP, {localVideo("a.mp4", big), localVideo("b.mp4", "B")});
    EXPECT_EQ(prompt.texts, QStringList{"Coyp file failed"});
    EXPECT_EQ(r.outcomes.size(), 1u);
    EXPECT_EQ(r.outcomes[0].status, ItemStatus::Cancelled);
    EXPECT_TRUE(r.end->cancelled);
    EXPECT_TRUE(fs::is_empty(pspFile("")));

    cancel = false;
    prompt.texts.clear();
    r = run(OP_MOVE_FROM_PSP, {pspVideo("m4v00009.mp4", big, "Trip")});
    EXPECT_TRUE(prompt.texts.isEmpty()) << "a stop asked for is not a failure to tell";
    EXPECT_FALSE(fs::exists(computer.path() / "Trip.mp4"));
    EXPECT_TRUE(readFileBytes(pspFile("m4v00009.mp4")) == big);
}

TEST_F(Engine, ProgressIsCoalesced)
{
    // Ten thousand reports in a moment reach the window as a handful.
    struct ManyReports : FileOps
    {
        ManyReports() { setFileOps(this); }
        ~ManyReports() override { setFileOps(nullptr); }
        int copy(const QString&, const QString&, CopyMode, const CopyProgress& progress) override
        {
            for (std::uint64_t i = 0; i <= 10000; ++i)
                progress(10000, i);
            return 0;
        }
    } ops;
    QElapsedTimer clock;
    clock.start();
    const Recorded r = run(OP_COPY_TO_PSP, {localVideo("a.mp4", "A"), localVideo("b.mp4", "B")});
    ASSERT_GE(r.progress.size(), 5u);
    EXPECT_LE(static_cast<qint64>(r.progress.size()), 7 + clock.elapsed() / 33);
    EXPECT_EQ(r.progress.front(), 0);
    EXPECT_EQ(r.progress.back(), 0);
    EXPECT_EQ(std::count(r.progress.begin(), r.progress.end(), 100), 2);
    EXPECT_TRUE(std::is_sorted(r.progress.begin(), std::find(r.progress.begin(), r.progress.end(), 100)));
}

TEST_F(Engine, FullStickIsAnOrdinaryFailure)
{
    TempDir small;
    if (::mount("tmpfs", small.str().c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    fs::create_directories(small.path() / "MP_ROOT/100MNV01");
    const QString smallPsp = q(small.path()) + "/MP_ROOT/100MNV01/";
    const Recorded r = run(OP_MOVE_TO_PSP, {localVideo("big.mp4", std::string(3 << 20, 'b')), localVideo("a.mp4", "A")},
                           "1", {}, smallPsp);
    // The partial first video is gone, so the second takes its number.
    const std::string landed = readFileBytes(small.path() / "MP_ROOT/100MNV01/m4v00001.mp4");
    const auto entries = std::distance(fs::directory_iterator(small.path() / "MP_ROOT/100MNV01"), {});
    ::umount(small.str().c_str());
    EXPECT_EQ(prompt.texts, QStringList{"Move file failed."});
    EXPECT_EQ(r.outcomes.at(0).reason, QString::fromLocal8Bit(strerror(ENOSPC)));
    EXPECT_EQ(landed, "A");
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(fs::exists(computer.path() / "big.mp4"));
}

TEST_F(Engine, RunsOnAWorkerWhileTheWindowThreadReceives)
{
    QThread worker;
    auto* engine = new TransferEngine({OP_COPY_TO_PSP, {localVideo("a.mp4", std::string(9 << 20, 'w'), true)},
                                       local, "1", psp},
                                      cancel);
    engine->moveToThread(&worker);
    Recorded r;
    QObject receiver;
    QObject::connect(engine, &TransferEngine::progressChanged, &receiver, [&r](int p) { r.progress.push_back(p); });
    QObject::connect(engine, &TransferEngine::itemFinished, &receiver, [&r](const ItemOutcome& o) { r.outcomes.push_back(o); });
    QEventLoop loop;
    QObject::connect(engine, &TransferEngine::finished, &receiver, [&](const TransferEnd& e) {
        EXPECT_EQ(QThread::currentThread(), receiver.thread());
        r.end = e;
        loop.quit();
    });
    QObject::connect(&worker, &QThread::started, engine, &TransferEngine::run);
    QObject::connect(&worker, &QThread::finished, engine, &QObject::deleteLater);
    worker.start();
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    worker.quit();
    worker.wait();
    ASSERT_TRUE(r.end);
    EXPECT_EQ(r.targets(), QStringList{"m4v00001.mp4"});
    EXPECT_EQ(r.progress.back(), 0);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
