// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/FileSystem.h"

#include <QString>
#include <QThreadPool>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

/** The bytes of a small MP4 file (ftyp, mdat padded to reach about `size` bytes, moov last). */
std::string minimalMp4(std::size_t size = 2048);
QString qpath(const std::filesystem::path& path);
/** Sets a file's last-write time. */
void setMtime(const std::filesystem::path& path, std::time_t stamp);

/**
 * The real file system with single calls overridden, installed for the
 * lifetime of the object.
 */
class FakeFileSystem : public platform::FileSystem
{
    // Set up before the code under test runs; list scans read it from their workers.
public:
    FakeFileSystem() { platform::setFileSystem(this); }
    // A destroyed list leaves its scan to stop on its own: let it end before this goes.
    ~FakeFileSystem() override
    {
        QThreadPool::globalInstance()->waitForDone();
        platform::setFileSystem(nullptr);
    }

    std::vector<platform::DirEntry> list(const QString& folder, const QString& glob, int* error = nullptr) const override
    {
        if (failList) {
            if (const int code = failList(folder)) {
                if (error)
                    *error = code;
                return {};
            }
        }
        auto entries = platform::FileSystem::list(folder, glob, error);
        if (duplicateListing) {
            const auto copy = entries;
            entries.insert(entries.end(), copy.begin(), copy.end());
        }
        return entries;
    }
    std::optional<platform::VolumeSpace> space(const QString& path) const override
    {
        if (path.isEmpty())
            return std::nullopt;
        return volume ? volume : platform::FileSystem::space(path);
    }
    std::optional<std::uint64_t> readableSize(const QString& path) const override
    {
        if (sizes) {
            if (auto size = sizes(path))
                return size;
        }
        if (unreadable && unreadable(path))
            return std::nullopt;
        return platform::FileSystem::readableSize(path);
    }
    int lookup(const QString& path, int* error = nullptr) const override
    {
        if (failLook) {
            if (const int code = failLook(path)) {
                if (error)
                    *error = code;
                return -1;
            }
        }
        return platform::FileSystem::lookup(path, error);
    }
    QString currentDirectory() const override
    {
        return cwd.isEmpty() ? platform::FileSystem::currentDirectory() : cwd;
    }

    bool duplicateListing = false;
    std::optional<platform::VolumeSpace> volume;
    std::function<std::optional<std::uint64_t>(const QString&)> sizes;
    std::function<bool(const QString&)> unreadable;
    QString cwd;
    // An errno for the listing of a folder or the look at a path to fail with (0: no failure).
    std::function<int(const QString&)> failList;
    std::function<int(const QString&)> failLook;
};
