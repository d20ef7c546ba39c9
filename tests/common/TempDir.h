// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <string>

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }
    // Writes bytes to a file below the folder (parents made) and returns its path.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const;

private:
    std::filesystem::path m_path;
};

std::string readFileBytes(const std::filesystem::path& path);

// A video the PSP plays (a tiny titled clip) carrying marker after its last
// atom, so tests tell copies apart by their markers.
std::string markedVideo(const std::string& marker);
// The marker of a file markedVideo wrote; any other file's bytes as they are.
std::string readMarker(const std::filesystem::path& path);
