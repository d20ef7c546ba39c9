// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// FFmpeg's calls as one table, filled from the libraries opened at the first
// use. Every caller includes FFmpeg's headers for the types through here; the
// functions themselves are only reached through the table.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstddef>

namespace avlib {

// (library, call). The libraries open in the order avutil, swscale, swresample,
// avcodec, avformat.
#define REELKEEPER_AVLIB_CALLS(X) \
    X(avutil, av_max_alloc) \
    X(avutil, av_malloc) \
    X(avutil, av_free) \
    X(avutil, av_freep) \
    X(avutil, av_strdup) \
    X(avutil, av_strerror) \
    X(avutil, av_log_set_level) \
    X(avutil, av_frame_alloc) \
    X(avutil, av_frame_free) \
    X(avutil, av_frame_get_buffer) \
    X(avutil, av_frame_make_writable) \
    X(avutil, av_frame_unref) \
    X(avutil, av_rescale_q) \
    X(avutil, av_rescale_q_rnd) \
    X(avutil, av_dict_get) \
    X(avutil, av_dict_set) \
    X(avutil, av_dict_free) \
    X(avutil, av_opt_set) \
    X(avutil, av_opt_set_int) \
    X(avutil, av_channel_layout_default) \
    X(avutil, av_channel_layout_copy) \
    X(avutil, av_channel_layout_uninit) \
    X(avutil, av_get_bytes_per_sample) \
    X(avutil, av_samples_set_silence) \
    X(avutil, av_audio_fifo_alloc) \
    X(avutil, av_audio_fifo_free) \
    X(avutil, av_audio_fifo_write) \
    X(avutil, av_audio_fifo_read) \
    X(avutil, av_audio_fifo_size) \
    X(avutil, av_display_rotation_get) \
    X(avutil, av_image_fill_black) \
    X(swscale, sws_getContext) \
    X(swscale, sws_scale) \
    X(swscale, sws_freeContext) \
    X(swresample, swr_alloc_set_opts2) \
    X(swresample, swr_init) \
    X(swresample, swr_free) \
    X(swresample, swr_convert) \
    X(swresample, swr_get_delay) \
    X(avcodec, av_packet_alloc) \
    X(avcodec, av_packet_free) \
    X(avcodec, av_packet_unref) \
    X(avcodec, av_packet_rescale_ts) \
    X(avcodec, avcodec_find_decoder) \
    X(avcodec, avcodec_find_encoder) \
    X(avcodec, avcodec_find_encoder_by_name) \
    X(avcodec, avcodec_alloc_context3) \
    X(avcodec, avcodec_free_context) \
    X(avcodec, avcodec_parameters_to_context) \
    X(avcodec, avcodec_parameters_from_context) \
    X(avcodec, avcodec_open2) \
    X(avcodec, avcodec_send_packet) \
    X(avcodec, avcodec_receive_frame) \
    X(avcodec, avcodec_send_frame) \
    X(avcodec, avcodec_receive_packet) \
    X(avformat, avio_alloc_context) \
    X(avformat, avio_context_free) \
    X(avformat, avio_flush) \
    X(avformat, avformat_alloc_context) \
    X(avformat, avformat_open_input) \
    X(avformat, avformat_close_input) \
    X(avformat, avformat_find_stream_info) \
    X(avformat, av_find_best_stream) \
    X(avformat, av_seek_frame) \
    X(avformat, av_read_frame) \
    X(avformat, av_stream_get_side_data) \
    X(avformat, avformat_alloc_output_context2) \
    X(avformat, avformat_free_context) \
    X(avformat, avformat_new_stream) \
    X(avformat, avformat_write_header) \
    X(avformat, av_interleaved_write_frame) \
    X(avformat, av_write_trailer)

struct Ffmpeg
{
#define REELKEEPER_AVLIB_POINTER(lib, name) decltype(&::name) name = nullptr;
    REELKEEPER_AVLIB_CALLS(REELKEEPER_AVLIB_POINTER)
#undef REELKEEPER_AVLIB_POINTER
};

// The largest single block FFmpeg may allocate in this process (av_max_alloc),
// set when the libraries are opened.
constexpr std::size_t kMaxAlloc = 128 << 20;

/**
 * The table, opened at the first call and kept for the life of the process
 * (thread-safe). Nothing when a library or one of its calls is missing. The
 * libraries' own log is silenced: reasons are the callers'.
 */
const Ffmpeg* load();

/** The table; only once load() has succeeded. */
const Ffmpeg& av();

} // namespace avlib
