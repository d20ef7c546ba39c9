// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StorageTestSupport.h"
#include "TempDir.h"

#include "platform/FileSystem.h"
#include "platform/Volumes.h"
#include "transfer/PspNaming.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using namespace transfer;
namespace fs = std::filesystem;

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// A listing in a fixed order, as the file system may yield it.
class OrderedListing : public platform::FileSystem
{
public:
    explicit OrderedListing(QStringList names) : m_names(std::move(names)) { platform::setFileSystem(this); }
    ~OrderedListing() override { platform::setFileSystem(nullptr); }

    std::vector<platform::DirEntry> list(const QString& folder, const QString& glob, int* error = nullptr) const override
    {
        if (error)
            *error = 0;
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

struct FatEverywhere : platform::Volumes
{
    FatEverywhere() { platform::setVolumes(this); }
    ~FatEverywhere() override { platform::setVolumes(nullptr); }
    bool isFat(const QString&) const override { return true; }
};

} // namespace

TEST(NextName, FollowsTheHighestNumber)
{
    const struct
    {
        std::vector<std::string> files;
        QString expected;
    } cases[] = {
        {{}, "m4v00001.mp4"},
        {{"m4v00041.mp4", "m4v00003.mp4"}, "m4v00042.mp4"},
        {{"holiday.mp4"}, "m4v00001.mp4"},
        {{"abc00042x.mp4", "holiday.mp4"}, "m4v00043.mp4"},
        {{"M4V00007.MP4"}, "m4v00008.mp4"},
        {{"m4v00009.THM", "notes.txt"}, "m4v00001.mp4"},
        {{"m4v99999.mp4", "m4v00001.mp4", "m4v00002.mp4", "m4v00004.mp4"}, "m4v00003.mp4"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const auto& name : c.files)
            dir.write(name, "");
        EXPECT_EQ(GetNextPspFileName(qpath(dir.path()) + "/"), c.expected) << c.expected.toStdString();
    }
}

TEST(NextName, AtTheTopSearchesInNumberOrderAndAFullFolderGivesSixDigits)
{
    {
        // In listing order the walk would offer m4v00001.mp4, which exists.
        OrderedListing listing({"m4v00002.mp4", "m4v99999.mp4", "m4v00001.mp4", "m4v00003.mp4"});
        EXPECT_EQ(GetNextPspFileName("/psp/"), "m4v00004.mp4");
    }
    QStringList names;
    for (int i = 1; i <= 99999; ++i)
        names << PspFileName(i);
    OrderedListing listing(names);
    EXPECT_EQ(GetNextPspFileName("/psp/"), "m4v100000.mp4");
    EXPECT_EQ(NextNumText("/psp/"), "10000");
}

TEST(Atoi, FollowsTheCRules)
{
    const std::pair<QString, int> cases[] = {{"", 0},     {"  \t42abc", 42}, {"-7", -7},  {"+00012", 12},
                                             {"x12", 0},  {"- 3", 0},        {"99999999999999999999", INT_MAX},
                                             {"-99999999999999999999", INT_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(AtoiNumber(text), value) << text.toStdString();
}

TEST(PspTarget, UsesValidNumbersAndOtherwiseTheNextFreeName)
{
    TempDir dir;
    dir.write("m4v00005.mp4", "");
    const struct
    {
        QString text, name;
        bool invalid;
    } cases[] = {{"0", "m4v00000", false},      {"", "m4v00000", false},       {"12", "m4v00012", false},
                 {"99999", "m4v99999", false},  {"100000", "m4v00006", true},  {"-1", "m4v00006", true},
                 {"99999999999", "m4v00006", true}};
    for (const auto& c : cases) {
        const TargetNames names = PspTargetNames(c.text, qpath(dir.path()) + "/");
        EXPECT_EQ(names.name, c.name + ".mp4") << c.text.toStdString();
        EXPECT_EQ(names.thumbnail, c.name + ".THM");
        EXPECT_EQ(names.invalidNumber, c.invalid);
    }
    EXPECT_EQ(ThumbnailName("a.b.mp4"), "a.b.THM");
    EXPECT_EQ(ThumbnailName("noextension"), ".THM");
}

TEST(ComputerTarget, NamesByTitleSafelyAndRenamesWhileTaken)
{
    const struct
    {
        QString title;
        QString video;
        std::vector<std::string> taken;
        bool fat;
        QString name;
    } cases[] = {
        {"Holiday", "m4v00001.mp4", {}, false, "Holiday"},
        {"Holiday", "m4v00001.mp4", {"Holiday.mp4"}, false, "Holiday(1)"},
        {"Holiday", "m4v00001.mp4", {"Holiday.mp4", "Holiday(1).mp4"}, false, "Holiday(2)"},
        // Only the last bracket counts, and only 1 to 255 in it.
        {"My (2) movie", "m4v00001.mp4", {"My (2) movie.mp4"}, false, "My (3)"},
        {"Trip(0)", "m4v00001.mp4", {"Trip(0).mp4"}, false, "Trip(0)(1)"},
        {"Open(", "m4v00001.mp4", {"Open(.mp4"}, false, "Open((1)"},
        {"Empty()", "m4v00001.mp4", {"Empty().mp4"}, false, "Empty()(1)"},
        // Untitled videos keep their whole file name.
        {"", "MP_ROOT/100MNV01/m4v00012.mp4", {}, false, "m4v00012"},
        {"", "MP_ROOT/100MNV01/my_holiday_video.mp4", {}, false, "my_holiday_video"},
        {"", "m4v00012.mp4", {"m4v00012.mp4"}, false, "m4v00012(1)"},
        // Wildcards match nothing else.
        {"*", "m4v00001.mp4", {"Anything.mp4"}, false, "*"},
        {"Anythin?", "m4v00001.mp4", {"Anything.mp4"}, false, "Anythin?"},
        // A title never leaves the local folder nor hides its file.
        {"../../etc/passwd", "m4v00001.mp4", {}, false, "_._.._etc_passwd"},
        {"/abs/path", "m4v00001.mp4", {}, false, "_abs_path"},
        {".hidden", "m4v00001.mp4", {}, false, "_hidden"},
        {"..", "m4v00001.mp4", {}, false, "_."},
        {QString("nul") + QChar(0) + "byte", "m4v00001.mp4", {}, false, "nul_byte"},
        {"a:b*c?\"<>|\\", "m4v00001.mp4", {}, false, "a:b*c?\"<>|\\"},
        // A FAT local folder refuses more characters.
        {"a:b*c?\"<>|\\/d", "m4v00001.mp4", {}, true, "a_b_c_______d"},
        {"tab\there", "m4v00001.mp4", {}, true, "tab_here"},
        {"Q: what?", "m4v00001.mp4", {}, true, "Q_ what_"},
        {"Ünïcödé title", "m4v00001.mp4", {}, true, "Ünïcödé title"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const auto& name : c.taken)
            dir.write(name, "");
        std::optional<FatEverywhere> fat;
        if (c.fat)
            fat.emplace();
        const TargetNames names = ComputerTargetNames(c.title, "/psp/" + c.video, qpath(dir.path()));
        EXPECT_EQ(names.name, c.name + ".mp4") << c.title.toStdString();
        EXPECT_EQ(names.thumbnail, c.name + ".THM");
    }

    TempDir dir;
    for (int k = 0; k <= 256; ++k)
        dir.write(k == 0 ? "Holiday.mp4" : "Holiday(" + std::to_string(k) + ").mp4", "");
    const TargetNames names = ComputerTargetNames("Holiday", "/psp/m4v00001.mp4", qpath(dir.path()));
    EXPECT_EQ(names.name, "Holiday(256)(1).mp4");
}

TEST(ComputerTarget, LongTitlesAreShortenedToFitTheFileSystem)
{
    TempDir dir;
    const QString local = qpath(dir.path());
    // 130 two-byte characters: 260 bytes before ".mp4".
    TargetNames names = ComputerTargetNames(QString(130, QChar(0x00e9)), "/psp/m4v00001.mp4", local);
    EXPECT_EQ(names.name, QString(125, QChar(0x00e9)) + ".mp4");
    EXPECT_EQ(names.thumbnail, QString(125, QChar(0x00e9)) + ".THM");
    // Exactly at the limit: 255 bytes stay whole, one more is cut.
    EXPECT_EQ(ComputerTargetNames(QString(251, 'a'), "/psp/m4v00001.mp4", local).name, QString(251, 'a') + ".mp4");
    EXPECT_EQ(ComputerTargetNames(QString(252, 'a'), "/psp/m4v00001.mp4", local).name, QString(251, 'a') + ".mp4");

    // A character outside the BMP is never split; a renaming makes room for its "(n)".
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xA5");
    const QString wide = emoji.repeated(70);
    names = ComputerTargetNames(wide, "/psp/m4v00001.mp4", local);
    EXPECT_EQ(names.name.toUtf8().size(), 62 * 4 + 4);
    dir.write(names.name.toStdString(), "");
    names = ComputerTargetNames(wide, "/psp/m4v00001.mp4", local);
    EXPECT_LE(names.name.toUtf8().size(), kMaxFileNameBytes);
    EXPECT_TRUE(names.name.endsWith("(1).mp4"));
    EXPECT_TRUE(names.name.chopped(7).endsWith(emoji));
}

// However a folder fills up, every name the search gives is free and new: a
// long title whose shortened forms come round again moves on, never onto a
// file that is there.
TEST(ComputerTarget, EveryNameGivenIsFreeAndNew)
{
    TempDir dir;
    const QString folder = qpath(dir.path());
    const QString title(251, 'a');
    QStringList given;
    for (int i = 0; i < 400; ++i) {
        NameSearch search = NameSearch::computer(title, "/psp/m4v00001.mp4", folder);
        const std::optional<TargetNames> names = search.first();
        ASSERT_TRUE(names) << i;
        ASSERT_FALSE(given.contains(names->name)) << names->name.toStdString();
        ASSERT_FALSE(fs::exists(dir.path() / names->name.toStdString()));
        given << names->name;
        dir.write(names->name.toStdString(), "");
    }
}

// A listing that fails, even midway, names no file: the next free name is unknown.
TEST(NextName, AFailedListingGivesNoName)
{
    FakeFileSystem files;
    files.failList = [](const QString&) { return EIO; };
    int error = 0;
    EXPECT_EQ(GetNextPspFileName("/psp/", &error), std::nullopt);
    EXPECT_EQ(error, EIO);
    EXPECT_EQ(NextNumText("/psp/"), "");
    NameSearch search = NameSearch::psp("/psp/");
    EXPECT_FALSE(search.first());
    EXPECT_EQ(search.error(), EIO);
}
