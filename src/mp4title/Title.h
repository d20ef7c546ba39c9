// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <string>
namespace mp4title {
enum class ReadStatus { Ok, CannotOpen, NotMp4, NoMoov, InUse };
struct ReadResult { ReadStatus status = ReadStatus::CannotOpen; std::string title; }; // UTF-8; empty when the video has none
ReadResult readTitle(const std::string& path);   // GetTitleName under the process-wide lock
// reason: when !ok, English sentences naming the cause and, after a failed
// write, the state the file was left in.
struct WriteResult { bool ok = false; std::string reason; };
WriteResult writeTitle(const std::string& path, const std::string& utf8Title); // SetTitleName; "" removes
WriteResult clearTitle(const std::string& path);
const char* describe(ReadStatus status);          // "not an MP4 file", "cannot open", ...
}
