// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "avlib/AvLib.h"

#include <optional>

#include <dlfcn.h>

namespace avlib {

const Ffmpeg* load()
{
    static const std::optional<Ffmpeg> loaded = []() -> std::optional<Ffmpeg> {
        // Kept open for the life of the process.
        void* avutil = ::dlopen(REELKEEPER_AVUTIL_SO, RTLD_NOW | RTLD_LOCAL);
        void* swscale = avutil ? ::dlopen(REELKEEPER_SWSCALE_SO, RTLD_NOW | RTLD_LOCAL) : nullptr;
        void* swresample = swscale ? ::dlopen(REELKEEPER_SWRESAMPLE_SO, RTLD_NOW | RTLD_LOCAL) : nullptr;
        void* avcodec = swresample ? ::dlopen(REELKEEPER_AVCODEC_SO, RTLD_NOW | RTLD_LOCAL) : nullptr;
        void* avformat = avcodec ? ::dlopen(REELKEEPER_AVFORMAT_SO, RTLD_NOW | RTLD_LOCAL) : nullptr;
        if (!avformat)
            return std::nullopt;
        Ffmpeg f;
#define REELKEEPER_AVLIB_LOOKUP(lib, name) \
    f.name = reinterpret_cast<decltype(f.name)>(::dlsym(lib, #name)); \
    if (!f.name) \
        return std::nullopt;
        REELKEEPER_AVLIB_CALLS(REELKEEPER_AVLIB_LOOKUP)
#undef REELKEEPER_AVLIB_LOOKUP
        f.av_log_set_level(AV_LOG_QUIET);
        // A 1080p H.264 thumbnail asks for at most about 2 MiB at once, an encode
        // of a 480 x 272 H.264/AAC clip about 0.6 MiB (libx264's own buffers don't
        // go through it); one plane of the largest picture decoded, 8192 x 4320 at
        // 16 bits, about 68 MiB. What a damaged index asks for beyond that fails
        // cleanly instead of growing the process by gigabytes.
        f.av_max_alloc(kMaxAlloc);
        return f;
    }();
    return loaded ? &*loaded : nullptr;
}

const Ffmpeg& av()
{
    return *load();
}

} // namespace avlib
