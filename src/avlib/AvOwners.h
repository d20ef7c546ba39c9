// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "avlib/AvLib.h"

#include <memory>

// Owners of what FFmpeg allocates, freed through the table; only for objects
// made once load() has succeeded.
namespace avlib {

struct FormatFree { void operator()(AVFormatContext* c) const { av().avformat_close_input(&c); } };
struct OutputFree { void operator()(AVFormatContext* c) const { av().avformat_free_context(c); } };
struct CodecFree { void operator()(AVCodecContext* c) const { av().avcodec_free_context(&c); } };
struct FrameFree { void operator()(AVFrame* f) const { av().av_frame_free(&f); } };
struct PacketFree { void operator()(AVPacket* p) const { av().av_packet_free(&p); } };
struct SwsFree { void operator()(SwsContext* c) const { av().sws_freeContext(c); } };
struct SwrFree { void operator()(SwrContext* c) const { av().swr_free(&c); } };
struct FifoFree { void operator()(AVAudioFifo* f) const { av().av_audio_fifo_free(f); } };
struct DictFree { void operator()(AVDictionary* d) const { av().av_dict_free(&d); } };
// The context's buffer is its own: FFmpeg may have replaced the one it was given.
struct IoFree
{
    void operator()(AVIOContext* io) const
    {
        if (io)
            av().av_freep(&io->buffer);
        av().avio_context_free(&io);
    }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatFree>; // an opened input
using OutputPtr = std::unique_ptr<AVFormatContext, OutputFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoFree>;
using DictPtr = std::unique_ptr<AVDictionary, DictFree>;
using IoPtr = std::unique_ptr<AVIOContext, IoFree>;

/** A custom I/O context with a buffer of its own; nothing when out of memory. */
inline IoPtr makeIo(int bufferSize, bool writable, void* opaque, int (*read)(void*, uint8_t*, int),
                    int (*write)(void*, uint8_t*, int), int64_t (*seek)(void*, int64_t, int))
{
    auto* buffer = static_cast<uint8_t*>(av().av_malloc(bufferSize));
    IoPtr io(buffer ? av().avio_alloc_context(buffer, bufferSize, writable ? 1 : 0, opaque, read, write, seek)
                    : nullptr);
    if (!io)
        av().av_free(buffer);
    return io;
}

} // namespace avlib
