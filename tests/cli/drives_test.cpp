#include "CliRun.h"

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The output line whose mount point is root, split at the tabs; empty when absent.
std::vector<std::string> lineFor(const std::string& output, const std::string& root)
{
    std::stringstream in(output);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (!fields.empty() && fields[0] == root)
            return fields;
    }
    return {};
}

} // namespace

TEST(CliDrives, ListsDeclaredVolumesWithTheirPspState)
{
    TempDir psp, plain;
    fs::create_directories(psp.path() / "PSP/PHOTO");
    fs::create_directories(plain.path() / "PSP/GAME");
    const std::string gone = (plain.path() / "gone").string();
    const CliRun r = Cli(psp, {"drives", "--volume", psp.str(), "--volume", plain.str(), "--volume", gone}).wait();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lineFor(r.out, psp.str() + "/"),
              (std::vector<std::string>{psp.str() + "/", psp.path().filename().string() + " (" + psp.str() + ")", "yes", "yes"}))
        << r.out;
    const auto plainLine = lineFor(r.out, plain.str() + "/");
    ASSERT_EQ(plainLine.size(), 4u);
    EXPECT_EQ(plainLine[2], "yes");
    EXPECT_EQ(plainLine[3], "no");
    EXPECT_TRUE(lineFor(r.out, gone + "/").empty()) << "a missing declared folder is not listed";
    EXPECT_EQ(lineFor(r.out, "/").size(), 4u) << "the root file system is listed";

    EXPECT_EQ(Cli(psp, {"drives", "--volume"}).wait().status, 2);
    EXPECT_EQ(Cli(psp, {"drives", "extra"}).wait().status, 2);
}

TEST(CliNextName, PrintsTheNextFreeNameOfAFolder)
{
    TempDir dir, empty;
    dir.write("m4v00041.mp4", "");
    dir.write("holiday.mp4", "");
    const struct
    {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{dir.str()}, 0, "m4v00042.mp4\n"},
        {{dir.str() + "/"}, 0, "m4v00042.mp4\n"},
        {{empty.str()}, 0, "m4v00001.mp4\n"},
        {{(dir.path() / "m4v00041.mp4").string()}, 1, ""},
        {{(dir.path() / "missing").string()}, 1, ""},
        {{}, 2, ""},
        {{"a", "b"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"next-name"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = Cli(empty, args).wait();
        EXPECT_EQ(r.status, c.status) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(r.out, c.out);
    }
}
