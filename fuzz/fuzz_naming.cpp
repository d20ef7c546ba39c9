// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzes the names a transfer chooses for a video coming back: for any title
// and any folder contents, each name the search gives is free (video and
// thumbnail), new, fits the file system and stays inside the folder, and a
// name taken at the last moment moves on to another free one.
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/Volumes.h"
#include "transfer/PspNaming.h"

#include <QSet>

#include <cstdint>
#include <cstdlib>

namespace {

// A folder held in memory: the names in it, looked at exactly.
class MemoryFolder : public platform::FileSystem
{
public:
    std::vector<platform::DirEntry> list(const QString&, const QString& glob, int* error) const override
    {
        if (error)
            *error = 0;
        std::vector<platform::DirEntry> out;
        for (const QString& name : names) {
            if (platform::globMatch(glob, name))
                out.push_back({name, "/f/" + name, false, 0});
        }
        return out;
    }
    int lookup(const QString& path, int* error) const override
    {
        if (error)
            *error = 0;
        return path.startsWith("/f/") && names.contains(path.mid(3)) ? 1 : 0;
    }
    QSet<QString> names;
};

struct NoFat : platform::Volumes
{
    bool isFat(const QString&) const override { return fat; }
    bool fat = false;
};

void check(const QString& name, const QSet<QString>& taken)
{
    const QByteArray bytes = platform::encodePath(name);
    if (name.isEmpty() || taken.contains(name) || taken.contains(transfer::ThumbnailName(name)) || bytes.contains('/')
        || bytes.size() > transfer::kMaxFileNameBytes || name == "." || name == "..")
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static MemoryFolder folder;
    static NoFat volumes;
    platform::setFileSystem(&folder);
    platform::setVolumes(&volumes);
    folder.names.clear();
    // First byte: how many videos come back; second: FAT or not; the rest, split at
    // NUL bytes: the title, then names already in the folder.
    const int rounds = 1 + data[0] % 64;
    volumes.fat = data[1] & 1;
    const QByteArray rest(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));
    const QList<QByteArray> parts = rest.split('\0');
    const QString title = platform::decodePath(parts.front());
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (!parts[i].isEmpty() && !parts[i].contains('/'))
            folder.names.insert(platform::decodePath(parts[i]));
    }
    for (int round = 0; round < rounds; ++round) {
        transfer::NameSearch search = transfer::NameSearch::computer(title, "/psp/m4v00001.mp4", "/f");
        std::optional<transfer::TargetNames> names = search.first();
        if (!names)
            break;
        check(names->name, folder.names);
        if (names->thumbnail != transfer::ThumbnailName(names->name))
            std::abort();
        // Every other round the name is taken by someone else before the claim.
        if (round % 2 == 1) {
            folder.names.insert(names->name);
            names = search.next(names->name);
            if (!names)
                break;
            check(names->name, folder.names);
        }
        folder.names.insert(names->name);
        folder.names.insert(names->thumbnail);
    }
    platform::setFileSystem(nullptr);
    platform::setVolumes(nullptr);
    return 0;
}
