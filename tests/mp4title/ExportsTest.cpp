#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

TEST(Exports, TheGuiExecutableExportsTheTitleCallsByName)
{
    const std::string command = std::string("nm -D --defined-only '") + REELKEEPER_GUI_EXE + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[1024];
    while (std::fgets(line, sizeof(line), pipe)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name)
            names.insert(name);
    }
    ASSERT_EQ(::pclose(pipe), 0) << command;
    for (const char* name : {"GetTitleName", "SetTitleName", "mov_read_header", "mov_read_leaf", "title_name",
                             "nTitleSize", "edit_name", "first_avcodec"})
        EXPECT_EQ(names.count(name), 1u) << name;
}
