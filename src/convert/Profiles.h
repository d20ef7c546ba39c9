// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <span>
#include <string_view>

namespace convert {

/** What one kind of PSP file is made of. The values live in one table (Profiles.cpp). */
struct Profile
{
    std::string_view id;   // on the command line
    std::string_view name; // shown to the user
    std::string_view videoEncoder;
    // The encoder's options as "key=value" words, under ffmpeg's names.
    std::string_view videoOptions;
    int width = 0;
    int height = 0;
    // The frame for sources closer to it in shape than to width x height; 0 when there is none.
    int wideWidth = 0;
    int wideHeight = 0;
    // The highest frame rate; with fixedRate every file gets exactly this rate.
    int rateNum = 0;
    int rateDen = 1;
    bool fixedRate = false;
    std::string_view audioEncoder;
    std::string_view audioOptions;
    int sampleRate = 0;
    int channels = 2;
};

/** Every profile; the first is the default. */
std::span<const Profile> profiles();
const Profile& defaultProfile();
/** The profile of that id, or null. */
const Profile* findProfile(std::string_view id);

} // namespace convert
