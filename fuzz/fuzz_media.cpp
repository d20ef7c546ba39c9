// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzes the MP4 facts reader and the verdict through the in-memory entry: any
// bytes give facts or a reason, never a read outside the data or a hang.
#include "media/Mp4Facts.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const media::mp4::Result r = media::mp4::readBytes(bytes);
    if (r.facts) {
        const media::Verdict v = media::judgeFacts(*r.facts);
        if (v.kind == media::Verdict::Kind::Unknown || (v.plays() != v.reasons.isEmpty()))
            std::abort();
        media::toJson(r.facts, v);
    } else if (r.isMp4 && r.error.isEmpty()) {
        std::abort(); // an MP4 without facts always says why
    }
    return 0;
}
