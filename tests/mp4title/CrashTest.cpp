// Every stopping point of every kind of title write, replayed: a crash after
// any operation, with any of the unsynced ones lost, and a failing operation
// (once, or from then on as when the stick is pulled) must leave a good file
// and a truthful report.

#include "mp4title/Title.h"

#include "TitleTestSupport.h"

#include <gtest/gtest.h>

using titlecheck::Inject;
using namespace titletest;

namespace {

struct Kind {
    const char* name;
    std::string (*bytes)();
    const char* prepare; // written first, so that the change under test meets this layout
    const char* title;
};

std::string withTitle() { return mp4::pspVideo(mp4::usmt(u"Hello there")); }

const Kind kKinds[] = {
    {"Create", [] { return mp4::pspVideo(""); }, nullptr, "New title"},
    {"Grow", withTitle, nullptr, "Hello there, world"},
    {"ShrinkIntoFreeSpace", withTitle, "Long title", "Hi"},
    {"Clear", withTitle, "Long title", ""},
    {"FastStart", [] { return readFileBytes(kData / "faststart.mp4"); }, nullptr, "Moved"},
    {"FastStartInPlace",
     [] {
         return mp4::ftyp() + mp4::atom("moov", mp4::mvhd() + mp4::usmt(u"Hello") + mp4::atom("free", std::string(300, '\0')))
             + mp4::atom("mdat", std::string(64, 'm'));
     },
     nullptr, "In place"},
    {"AmongDecoys",
     [] {
         const std::string decoy = mp4::usmtWithEntries({mp4::mtdtEntry(1, 0x2A0E, 1, mp4::utf16be(u"Decoy"))});
         return mp4::pspVideo(mp4::atom("trak", decoy) + mp4::usmt(u"Hello") + mp4::trak());
     },
     nullptr, "Other"},
    {"AfterLeftovers", [] { return withTitle() + mp4::usmt(u"Half").substr(0, 40); }, nullptr, "Next one"},
    {"Ffmpeg", [] { return readFileBytes(kData / "hello.mp4"); }, nullptr, "Goodbye"},
};

class CrashTest : public ::testing::TestWithParam<Kind>
{
protected:
    void SetUp() override
    {
        m_file = dir.write("v.mp4", GetParam().bytes());
        ASSERT_TRUE(!GetParam().prepare || setTitle(m_file, GetParam().prepare) == 1);
        m_original = readFileBytes(m_file);
        m_oldTitle = titleOf(m_file);
        m_wellFormed = titlecheck::structureProblem(m_original).empty(); // not so with leftovers
        titlecheck::arm(Inject::Record);
        ASSERT_EQ(setTitle(m_file, GetParam().title), 1);
        titlecheck::disarm();
        m_log = titlecheck::opLog();
        ASSERT_EQ(titlecheck::crashState(m_original, m_log, m_log.size(), ~0u), readFileBytes(m_file));
    }
    void TearDown() override { titlecheck::disarm(); }

    // What every stopping point must leave; the next retitle is checked
    // without syncs, which only make it slower.
    void expectGood(const std::string& bytes, const std::string& title, const std::string& where)
    {
        EXPECT_TRUE(title == m_oldTitle || title == GetParam().title) << where << ": reads " << title;
        EXPECT_EQ(m_wellFormed ? titlecheck::structureProblem(bytes) : "", "") << where;
        EXPECT_TRUE(titlecheck::mediaKept(m_original, bytes)) << where;
        const auto next = fresh(bytes);
        titlecheck::arm(Inject::NoSync);
        EXPECT_EQ(retitleChecked(next, "Next", bytes), "") << where;
        titlecheck::disarm();
    }

    // A new file each time: rewriting one name makes the file system flush it.
    std::filesystem::path fresh(const std::string& bytes) { return dir.write(std::to_string(++m_files) + ".mp4", bytes); }

    TempDir dir;
    int m_files = 0;
    std::filesystem::path m_file;
    std::string m_original, m_oldTitle;
    bool m_wellFormed = true;
    std::vector<titlecheck::FileOp> m_log;
};

TEST_P(CrashTest, EveryStoppingPointLeavesAGoodFile)
{
    for (size_t issued = 0; issued <= m_log.size(); ++issued) {
        const size_t open = titlecheck::unsyncedOps(m_log, issued);
        ASSERT_LE(open, 6u);
        for (uint32_t keep = 0; keep < (1u << open); ++keep) {
            const std::string state = titlecheck::crashState(m_original, m_log, issued, keep);
            expectGood(state, titleOf(fresh(state)),
                       "after " + std::to_string(issued) + " of " + std::to_string(m_log.size()) + ", kept " + std::to_string(keep));
        }
    }
    // Success is reported once the change is synced.
    EXPECT_EQ(titleOf(fresh(titlecheck::crashState(m_original, m_log, m_log.size(), 0))), GetParam().title);
}

TEST_P(CrashTest, FailedWritesSayWhatTheyLeft)
{
    const int count = static_cast<int>(m_log.size());
    for (const Inject mode : {Inject::FailFrom, Inject::FailOnce}) {
        for (int n = 1; n <= count; ++n) {
            const std::string where = (mode == Inject::FailOnce ? "once at " : "from ") + std::to_string(n);
            const auto f = fresh(m_original);
            titlecheck::arm(mode, n);
            const mp4title::WriteResult r = mp4title::writeTitle(f.string(), GetParam().title);
            titlecheck::disarm();
            const std::string bytes = readFileBytes(f);
            const std::string title = titleOf(f);
            if (r.ok) {
                EXPECT_EQ(title, GetParam().title) << where;
            } else if (r.reason.find("left as it was") != std::string::npos) {
                EXPECT_EQ(bytes, m_original) << where;
            } else if (r.reason.find("still has its old title") != std::string::npos) {
                EXPECT_EQ(title, m_oldTitle) << where;
                // A single failure is undone, but leftovers cut before it stay cut.
                EXPECT_TRUE(mode == Inject::FailFrom || !m_wellFormed) << where;
            } else {
                EXPECT_NE(r.reason.find("could not be confirmed"), std::string::npos) << where << ": " << r.reason;
            }
            EXPECT_TRUE(r.ok || r.reason.rfind("Writing the file failed: Input/output error.", 0) == 0) << r.reason;
            expectGood(bytes, title, where);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CrashTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

} // namespace
