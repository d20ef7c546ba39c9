#include "TempDir.h"

#include "RecordingPrompt.h"
#include "platform/FileSystem.h"
#include "platform/Volumes.h"
#include "transfer/PspNaming.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace transfer;

namespace {

QString q(const std::filesystem::path& p)
{
    return QString::fromStdString(p.string());
}

QString folderOf(const TempDir& dir)
{
    return q(dir.path()) + "/";
}

// A listing in a fixed order, as the file system may yield it.
class OrderedListing : public platform::FileSystem
{
public:
    explicit OrderedListing(QStringList names)
        : m_names(std::move(names))
    {
        platform::setFileSystem(this);
    }
    ~OrderedListing() override { platform::setFileSystem(nullptr); }

    std::vector<platform::DirEntry> list(const QString& folder, const QString& glob) const override
    {
        std::vector<platform::DirEntry> out;
        for (const QString& name : m_names) {
            if (platform::globMatch(glob, name))
                out.push_back({name, folder + name, false, 0});
        }
        return out;
    }

private:
    QStringList m_names;
};

struct NextNameCase
{
    std::vector<std::string> files;
    std::string expected;
};

class NextName : public ::testing::TestWithParam<NextNameCase>
{};

} // namespace

TEST_P(NextName, FollowsTheHighestNumber)
{
    TempDir dir;
    for (const auto& name : GetParam().files)
        dir.write(name, "");
    EXPECT_EQ(GetNextPspFileName(folderOf(dir)).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, NextName,
    ::testing::Values(NextNameCase{{}, "m4v00001.mp4"},
                      NextNameCase{{"m4v00041.mp4", "m4v00003.mp4"}, "m4v00042.mp4"},
                      NextNameCase{{"holiday.mp4"}, "m4v00001.mp4"},
                      NextNameCase{{"abc00042x.mp4", "holiday.mp4"}, "m4v00043.mp4"},
                      NextNameCase{{"M4V00007.MP4"}, "m4v00008.mp4"},
                      NextNameCase{{"m4v00009.THM", "notes.txt"}, "m4v00001.mp4"},
                      NextNameCase{{"a.mp4", "m4v00002.mp4"}, "m4v00003.mp4"},
                      NextNameCase{{"m4v99999.mp4", "m4v00001.mp4", "m4v00002.mp4", "m4v00004.mp4"}, "m4v00003.mp4"}));

TEST(NextNameAtTheTop, SearchesInNumberOrderNotListingOrder)
{
    // Listing order 2, 99999, 1, 3: a walk in that order would offer m4v00001.mp4, which exists.
    OrderedListing listing({"m4v00002.mp4", "m4v99999.mp4", "m4v00001.mp4", "m4v00003.mp4"});
    EXPECT_EQ(GetNextPspFileName("/psp/"), "m4v00004.mp4");
}

TEST(NextNameAtTheTop, FullFolderGivesSixDigits)
{
    QStringList names;
    for (int i = 1; i <= 99999; ++i)
        names << PspFileName(i);
    OrderedListing listing(names);
    EXPECT_EQ(GetNextPspFileName("/psp/"), "m4v100000.mp4");
    EXPECT_EQ(NextNumText("/psp/"), "10000");
}

TEST(Atoi, FollowsTheCRules)
{
    EXPECT_EQ(AtoiNumber(""), 0);
    EXPECT_EQ(AtoiNumber("  \t42abc"), 42);
    EXPECT_EQ(AtoiNumber("-7"), -7);
    EXPECT_EQ(AtoiNumber("+00012"), 12);
    EXPECT_EQ(AtoiNumber("x12"), 0);
    EXPECT_EQ(AtoiNumber("- 3"), 0);
    EXPECT_EQ(AtoiNumber("99999999999999999999"), INT_MAX);
    EXPECT_EQ(AtoiNumber("-99999999999999999999"), INT_MIN);
}

TEST(PspTarget, UsesValidNumbersAndRefusesOthers)
{
    TempDir dir;
    dir.write("m4v00005.mp4", "");
    const struct
    {
        QString text;
        QString name;
        QString thumbnail;
    } cases[] = {
        {"0", "m4v00000.mp4", "m4v00000.THM"},
        {"", "m4v00000.mp4", "m4v00000.THM"},
        {"12", "m4v00012.mp4", "m4v00012.THM"},
        {"99999", "m4v99999.mp4", "m4v99999.THM"},
    };
    for (const auto& c : cases) {
        const TargetNames names = PspTargetNames(c.text, folderOf(dir));
        EXPECT_EQ(names.name, c.name) << c.text.toStdString();
        EXPECT_EQ(names.thumbnail, c.thumbnail);
        EXPECT_FALSE(names.invalidNumber);
    }

    for (const QString& text : {QString("100000"), QString("-1"), QString("99999999999")}) {
        const TargetNames names = PspTargetNames(text, folderOf(dir));
        EXPECT_EQ(names.name, "m4v00006.mp4");
        EXPECT_EQ(names.thumbnail, "m4v00006.THM");
        EXPECT_TRUE(names.invalidNumber);
    }
    EXPECT_STREQ(kInvalidNumber, "You have inputted a invalid number, the valid file number is between 0 to 99999");
}

TEST(Thumbnail, TakesTheNameUpToItsLastDot)
{
    EXPECT_EQ(ThumbnailName("m4v00012.mp4"), "m4v00012.THM");
    EXPECT_EQ(ThumbnailName("a.b.mp4"), "a.b.THM");
    EXPECT_EQ(ThumbnailName("noextension"), ".THM");
}

TEST(ComputerTarget, RenamesWhileTheNameIsTaken)
{
    TempDir dir;
    const QString local = q(dir.path());
    TargetNames names = ComputerTargetNames("Holiday", "/psp/m4v00001.mp4", local);
    EXPECT_EQ(names.name, "Holiday.mp4");
    EXPECT_EQ(names.thumbnail, "Holiday.THM");

    dir.write("Holiday.mp4", "");
    names = ComputerTargetNames("Holiday", "/psp/m4v00001.mp4", local);
    EXPECT_EQ(names.name, "Holiday(1).mp4");
    EXPECT_EQ(names.thumbnail, "Holiday(1).THM");

    dir.write("Holiday(1).mp4", "");
    EXPECT_EQ(ComputerTargetNames("Holiday", "/psp/m4v00001.mp4", local).name, "Holiday(2).mp4");

    for (int k = 2; k <= 256; ++k)
        dir.write("Holiday(" + std::to_string(k) + ").mp4", "");
    names = ComputerTargetNames("Holiday", "/psp/m4v00001.mp4", local);
    EXPECT_EQ(names.name, "Holiday(256)(1).mp4");
    EXPECT_EQ(names.thumbnail, "Holiday(256)(1).THM");
}

TEST(ComputerTarget, CountsTheLastBracketOnly)
{
    TempDir dir;
    const QString local = q(dir.path());
    dir.write("My (2) movie.mp4", "");
    EXPECT_EQ(ComputerTargetNames("My (2) movie", "/psp/m4v00001.mp4", local).name, "My (3).mp4");
    dir.write("Trip(0).mp4", "");
    EXPECT_EQ(ComputerTargetNames("Trip(0)", "/psp/m4v00001.mp4", local).name, "Trip(0)(1).mp4");
    dir.write("Open(.mp4", "");
    EXPECT_EQ(ComputerTargetNames("Open(", "/psp/m4v00001.mp4", local).name, "Open((1).mp4");
    dir.write("Empty().mp4", "");
    EXPECT_EQ(ComputerTargetNames("Empty()", "/psp/m4v00001.mp4", local).name, "Empty()(1).mp4");
}

TEST(ComputerTarget, UntitledVideosKeepTheirWholeName)
{
    TempDir dir;
    const QString local = q(dir.path());
    TargetNames names = ComputerTargetNames("", "/psp/MP_ROOT/100MNV01/m4v00012.mp4", local);
    EXPECT_EQ(names.name, "m4v00012.mp4");
    EXPECT_EQ(names.thumbnail, "m4v00012.THM");

    names = ComputerTargetNames("", "/psp/MP_ROOT/100MNV01/my_holiday_video.mp4", local);
    EXPECT_EQ(names.name, "my_holiday_video.mp4");
    EXPECT_EQ(names.thumbnail, "my_holiday_video.THM");

    dir.write("m4v00012.mp4", "");
    EXPECT_EQ(ComputerTargetNames("", "/psp/m4v00012.mp4", local).name, "m4v00012(1).mp4");
}

TEST(ComputerTarget, TitlesNeverLeaveTheLocalFolder)
{
    TempDir dir;
    const QString local = q(dir.path());
    const struct
    {
        QString title;
        QString name;
    } cases[] = {
        {"../../etc/passwd", "_._.._etc_passwd.mp4"},
        {"/abs/path", "_abs_path.mp4"},
        {".hidden", "_hidden.mp4"},
        {"..", "_..mp4"},
        {QString("nul") + QChar(0) + "byte", "nul_byte.mp4"},
        {"a:b*c?\"<>|\\", "a:b*c?\"<>|\\.mp4"},
    };
    for (const auto& c : cases) {
        const TargetNames names = ComputerTargetNames(c.title, "/psp/m4v00001.mp4", local);
        EXPECT_EQ(names.name, c.name);
        EXPECT_FALSE(names.name.contains('/'));
        EXPECT_FALSE(names.thumbnail.contains('/'));
        EXPECT_FALSE(names.thumbnail.startsWith('.'));
    }
}

TEST(ComputerTarget, WildcardsInATitleMatchNothingElse)
{
    TempDir dir;
    dir.write("Anything.mp4", "");
    EXPECT_EQ(ComputerTargetNames("*", "/psp/m4v00001.mp4", q(dir.path())).name, "*.mp4");
    EXPECT_EQ(ComputerTargetNames("Anythin?", "/psp/m4v00001.mp4", q(dir.path())).name, "Anythin?.mp4");
}

TEST(SafeName, FatRefusesMoreCharacters)
{
    EXPECT_EQ(SafeFileName("a:b*c?\"<>|\\/d", true), "a_b_c_______d");
    EXPECT_EQ(SafeFileName(QString("tab\there"), true), "tab_here");
    EXPECT_EQ(SafeFileName("a:b", false), "a:b");
    EXPECT_EQ(SafeFileName("Ünïcödé title", true), "Ünïcödé title");
}

TEST(ComputerTarget, FatLocalFolderGetsFatNames)
{
    struct FatEverywhere : platform::Volumes
    {
        bool isFat(const QString&) const override { return true; }
    } fat;
    platform::setVolumes(&fat);
    TempDir dir;
    const TargetNames names = ComputerTargetNames("Q: what?", "/psp/m4v00001.mp4", q(dir.path()));
    platform::setVolumes(nullptr);
    EXPECT_EQ(names.name, "Q_ what_.mp4");
    EXPECT_EQ(names.thumbnail, "Q_ what_.THM");
}

TEST(ComputerTarget, LongTitlesAreShortenedToFitTheFileSystem)
{
    TempDir dir;
    const QString local = q(dir.path());
    // 130 two-byte characters: 260 bytes before ".mp4".
    const QString title = QString(130, QChar(0x00e9));
    TargetNames names = ComputerTargetNames(title, "/psp/m4v00001.mp4", local);
    EXPECT_EQ(names.name, QString(125, QChar(0x00e9)) + ".mp4");
    EXPECT_EQ(names.thumbnail, QString(125, QChar(0x00e9)) + ".THM");

    // A character outside the BMP is never split; a renaming makes room for its "(n)".
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xA5");
    QString wide;
    for (int i = 0; i < 70; ++i)
        wide += emoji;
    names = ComputerTargetNames(wide, "/psp/m4v00001.mp4", local);
    EXPECT_EQ(names.name.toUtf8().size(), 62 * 4 + 4);
    dir.write(names.name.toStdString(), "");
    names = ComputerTargetNames(wide, "/psp/m4v00001.mp4", local);
    EXPECT_LE(names.name.toUtf8().size(), kMaxFileNameBytes);
    EXPECT_TRUE(names.name.endsWith("(1).mp4"));
    EXPECT_TRUE(names.name.chopped(7).endsWith(emoji));
}
