// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StorageTestSupport.h"

#include "Mp4Builder.h"

#include <QFile>

#include <sys/time.h>

std::string minimalMp4(std::size_t size)
{
    const std::string moov = mp4::atom("moov", mp4::mvhd());
    const std::size_t fixed = mp4::ftyp().size() + moov.size() + 8;
    return mp4::ftyp() + mp4::atom("mdat", std::string(size > fixed ? size - fixed : 0, '\x11')) + moov;
}

QString qpath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

void setMtime(const std::filesystem::path& path, std::time_t stamp)
{
    const timeval times[2] = {{stamp, 0}, {stamp, 0}};
    ::utimes(path.c_str(), times);
}
