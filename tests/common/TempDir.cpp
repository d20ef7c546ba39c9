// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempDir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <iterator>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "reelkeeper-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDir::write(const std::string& relative, const std::string& bytes) const
{
    const auto target = m_path / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return target;
}

std::string readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

const std::string& clipBytes()
{
    static const std::string clip = readFileBytes(std::filesystem::path(REELKEEPER_TEST_DATA) / "mp4" / "hello.mp4");
    return clip;
}

} // namespace

std::string markedVideo(const std::string& marker)
{
    return clipBytes() + marker;
}

std::string readMarker(const std::filesystem::path& path)
{
    const std::string bytes = readFileBytes(path);
    return bytes.starts_with(clipBytes()) ? bytes.substr(clipBytes().size()) : bytes;
}
