// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(Exports, TheGuiExecutableExportsTheTitleCallsByName)
{
    const std::string command = std::string("nm -D --defined-only '") + REELKEEPER_GUI_EXE + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string symbols = "\n";
    for (char line[1024]; std::fgets(line, sizeof(line), pipe);)
        symbols += line;
    ASSERT_EQ(::pclose(pipe), 0) << command;
    for (const char* name : {"GetTitleName", "SetTitleName", "mov_read_header", "mov_read_leaf", "title_name",
                             "nTitleSize", "edit_name", "first_avcodec"})
        EXPECT_NE(symbols.find(" " + std::string(name) + "\n"), std::string::npos) << name;
}
