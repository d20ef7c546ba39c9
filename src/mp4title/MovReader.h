// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// MP4 atom reader: the format registry, the probe, open_input and the atom walk.

#include "mp4title/ByteStream.h"

#include <cstdint>

extern "C" {

enum {
    FMT_ERR_IO = -2,        // cannot open, unknown protocol
    FMT_ERR_NUMEXPECTED = -3,
    FMT_ERR_NOMEM = -5,
    FMT_ERR_NOFMT = -6,
};

// Results of handlers besides 0 (go on) and -1 (end the whole walk).
enum {
    MOV_ERR_TOO_MANY_TRACKS = -2,
    MOV_ERR_TOO_DEEP = -7,      // nesting beyond MOV_MAX_DEPTH
    MOV_ERR_BAD_SIZE = -8,      // an atom whose size field is 2 to 7
};

enum { MAX_STREAMS = 20, MOV_MAX_DEPTH = 32, PROBE_SAMPLE_SIZE = 2048 };

constexpr uint32_t mktag(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(a)) | (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 8)
        | (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 16) | (static_cast<uint32_t>(static_cast<unsigned char>(d)) << 24);
}

struct AtomHeader {
    uint32_t type;
    int64_t offset;     // file offset of the payload
    int64_t size;       // payload bytes
};

// Where an atom's payload ends; saturates instead of overflowing.
inline int64_t atom_end(AtomHeader atom)
{
    int64_t end;
    if (atom.size < 0 || __builtin_add_overflow(atom.offset, atom.size, &end))
        return INT64_MAX;
    return end;
}

struct MovContext;
struct FormatContext;
struct FormatParameters {
    int unused;
};

using AtomHandler = int (*)(MovContext* c, ByteStream* pb, AtomHeader atom);

struct AtomHandlerEntry {
    uint32_t type;
    AtomHandler handler;
};

struct ProbeData {
    const char* filename;
    unsigned char* buf;
    int buf_size;
};

struct InputFormat {
    const char* name;
    const char* long_name;
    int priv_data_size;
    int (*read_probe)(ProbeData* p);
    int (*read_header)(FormatContext* s, FormatParameters* ap);
    int (*read_packet)(FormatContext* s, void* pkt);
    int (*read_close)(FormatContext* s);
    int (*read_seek)(FormatContext* s, int stream_index, int64_t timestamp);
    int flags;
    const char* extensions;
    InputFormat* next;
};

enum { FMT_NOFILE = 1, FMT_NEEDNUMBER = 2 };

struct OutputFormat {
    const char* name;
    const char* long_name;
    const char* mime_type;
    const char* extensions;
    OutputFormat* next;
};

struct Codec {
    const char* name;
    int type;
    int id;
    uint32_t tag;
    Codec* next;
};

enum { CODEC_TYPE_OTHER = 0, CODEC_TYPE_VIDEO = 1, CODEC_TYPE_AUDIO = 2 };

struct StreamRecord {
    int index;
    int id;
    int codec_type;
    uint32_t codec_tag;
    int codec_id;
    int width;
    int height;
    int channels;
    int bits_per_sample;
    int sample_rate;
    int64_t start_time;
    int64_t duration;
};

struct FormatClass {
    const char* class_name;
    const char* (*item_name)(void* ctx);
};

struct FormatContext {
    const FormatClass* av_class;
    InputFormat* iformat;
    OutputFormat* oformat;
    void* priv_data;
    ByteStream pb;
    int nb_streams;
    StreamRecord* streams[MAX_STREAMS];
    char filename[1024];
    int64_t timestamp;
    char title[512];
    int64_t start_time;
    int64_t duration;
};

struct MovTrack {
    int sample_to_chunk_index;
    int64_t* chunk_offsets;
    int chunk_count;
    uint32_t* stsc_data;        // first chunk, samples per chunk, description index
    int stsc_count;
    uint32_t* keyframes;
    int keyframe_count;
    uint32_t sample_size;
    uint32_t* sample_sizes;
    int sample_count;
    uint32_t* stts_data;        // count, duration
    int stts_count;
    uint32_t* ctts_data;        // count, offset
    int ctts_count;
    int edit_count;
    unsigned char* codec_header;
    int codec_header_size;
    int time_scale;
};

struct ColorTable {
    uint32_t seed;
    int flags;
    int count;
    unsigned char* entries;
    ColorTable* next;
};

struct MovContext {
    FormatContext* fc;
    int found_moov;
    int found_mdat;
    int64_t mdat_offset;
    int64_t mdat_size;
    int time_scale;
    int64_t duration;
    int total_streams;
    MovTrack* tracks[MAX_STREAMS];
    int ctab_count;
    ColorTable* ctab;
    const AtomHandlerEntry* parse_table;
    // Walk bookkeeping for the title engine: nesting depth, the head size of
    // the atom whose handler runs, and how far a container walk got.
    int depth;
    int atom_head_size;         // 8, or 16 with a 64-bit size
    int64_t walk_reach;         // the last container walk got through its children up to here
    int walk_error;             // the innermost handler result that ended a walk early
    // For other parse tables (the media facts): a child that claims more than
    // its parent holds ends the walk with MOV_ERR_BAD_SIZE, so no byte is walked
    // twice. The title engine leaves it 0 (its writer reproduces the loose walk).
    int strict_bounds;
    void* opaque;               // owned by the caller of a custom parse table
};

extern InputFormat mov_input_format;
extern const AtomHandlerEntry mov_default_parse_table[];

void register_all();
InputFormat* first_input_format();
OutputFormat* first_output_format();
int open_input(FormatContext** out, const char* path, InputFormat* fmt, int buf_size, FormatParameters* ap);
void close_input(FormatContext* s);
InputFormat* probe_input_format(ProbeData* pd, int is_opened);
int mov_probe_atoms(ProbeData* p);
__attribute__((visibility("default"))) int mov_read_header(FormatContext* s, FormatParameters* ap);
int mov_read_container(MovContext* c, ByteStream* pb, AtomHeader atom);
__attribute__((visibility("default"))) int mov_read_leaf(MovContext* c, ByteStream* pb, AtomHeader atom);

// Hooks of the title engine (TitleCalls.cpp).
int mov_read_moov_atom(MovContext* c, ByteStream* pb, AtomHeader atom);
int title_read_uuid(MovContext* c, ByteStream* pb, AtomHeader atom);
void title_after_walk(MovContext* c, ByteStream* pb);

} // extern "C"
