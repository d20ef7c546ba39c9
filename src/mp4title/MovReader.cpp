// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mp4title/MovReader.h"

#include <cctype>
#include <cstdio>
#include <cstring>

extern "C" {

extern char edit_name[256];
extern Codec* first_avcodec;

static InputFormat* first_iformat = nullptr;
static OutputFormat* first_oformat = nullptr;

static const int64_t kNoValue = INT64_MIN;
static const int64_t kUnbounded = INT64_MAX;

static void register_input_format(InputFormat* format)
{
    InputFormat** p = &first_iformat;
    while (*p && *p != format)
        p = &(*p)->next;
    *p = format;
    format->next = nullptr;
}

static void register_output_format(OutputFormat* format)
{
    OutputFormat** p = &first_oformat;
    while (*p && *p != format)
        p = &(*p)->next;
    *p = format;
    format->next = nullptr;
}

InputFormat* first_input_format()
{
    return first_iformat;
}

OutputFormat* first_output_format()
{
    return first_oformat;
}

static OutputFormat output_formats[] = {
    {"mov", "mov format", nullptr, "mov", nullptr},
    {"3gp", "3gp format", nullptr, "3gp", nullptr},
    {"mp4", "mp4 format", "application/mp4", "mp4,m4a", nullptr},
    {"psp", "psp mp4 format", nullptr, "mp4,psp", nullptr},
    {"3g2", "3gp2 format", nullptr, "3g2", nullptr},
    {"kddi", "kddi 3gp2 format", nullptr, "3g2", nullptr},
    {"docomo", "docomo 3gp format", nullptr, "3gp", nullptr},
};

void register_all()
{
    register_input_format(&mov_input_format);
    // The output list is rebuilt in registration order each time.
    first_oformat = nullptr;
    for (auto& f : output_formats)
        register_output_format(&f);
    register_protocol(&file_protocol);
    std::memset(edit_name, 0, sizeof(edit_name));
}

// --- probing ---

int mov_probe_atoms(ProbeData* p)
{
    int score = 0;
    if (p->buf_size <= 12)
        return 0;
    int64_t offset = 0;
    while (offset + 8 <= p->buf_size) {
        const unsigned char* b = p->buf + offset;
        const uint32_t tag = mktag(static_cast<char>(b[4]), static_cast<char>(b[5]), static_cast<char>(b[6]), static_cast<char>(b[7]));
        if (tag == mktag('m', 'o', 'o', 'v') || tag == mktag('m', 'd', 'a', 't') || tag == mktag('p', 'n', 'o', 't')
            || tag == mktag('u', 'd', 't', 'a'))
            return 100;
        if (tag == mktag('w', 'i', 'd', 'e') || tag == mktag('f', 'r', 'e', 'e') || tag == mktag('j', 'u', 'n', 'k')
            || tag == mktag('p', 'i', 'c', 't'))
            return 95;
        if (tag == mktag('f', 't', 'y', 'p') || tag == mktag('s', 'k', 'i', 'p') || tag == mktag('u', 'u', 'i', 'd')) {
            score = 50;
            const uint32_t size = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
            if (size == 0)
                return score; // would not advance
            offset += size;
            continue;
        }
        return score;
    }
    return score;
}

static bool extension_matches(const char* filename, const char* extensions)
{
    const char* dot = std::strrchr(filename, '.');
    if (!dot || !extensions)
        return false;
    const char* ext = dot + 1;
    const size_t ext_len = std::strlen(ext);
    const char* p = extensions;
    while (*p) {
        const char* comma = std::strchr(p, ',');
        const size_t len = comma ? static_cast<size_t>(comma - p) : std::strlen(p);
        if (len == ext_len && strncasecmp(p, ext, len) == 0)
            return true;
        if (!comma)
            break;
        p = comma + 1;
    }
    return false;
}

InputFormat* probe_input_format(ProbeData* pd, int is_opened)
{
    InputFormat* best = nullptr;
    int best_score = 0;
    for (InputFormat* f = first_iformat; f; f = f->next) {
        if (!is_opened && !(f->flags & FMT_NOFILE))
            continue;
        int score = 0;
        if (f->read_probe)
            score = f->read_probe(pd);
        else if (f->extensions && extension_matches(pd->filename, f->extensions))
            score = 50;
        if (score > best_score) {
            best_score = score;
            best = f;
        }
    }
    return best;
}

static bool has_one_frame_number(const char* name)
{
    int fields = 0;
    for (const char* p = name; *p; ++p) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            ++p;
            continue;
        }
        const char* q = p + 1;
        while (std::isdigit(static_cast<unsigned char>(*q)))
            ++q;
        if (*q != 'd')
            return false;
        ++fields;
        p = q;
    }
    return fields == 1;
}

static const char* format_item_name(void* ctx)
{
    auto* s = static_cast<FormatContext*>(ctx);
    if (s->iformat)
        return s->iformat->name;
    if (s->oformat)
        return s->oformat->name;
    return "NULL";
}

static const FormatClass format_class = {"AVFormatContext", format_item_name};

int open_input(FormatContext** out, const char* path, InputFormat* fmt, int buf_size, FormatParameters* ap)
{
    *out = nullptr;
    unsigned char sample[PROBE_SAMPLE_SIZE];
    ProbeData pd = {path ? path : "", sample, 0};

    if (!fmt)
        fmt = probe_input_format(&pd, 0);

    ByteStream pb;
    std::memset(&pb, 0, sizeof(pb));
    bool file_open = false;
    if (!fmt || !(fmt->flags & FMT_NOFILE)) {
        if (stream_open(&pb, pd.filename, URL_RDONLY) < 0)
            return FMT_ERR_IO;
        file_open = true;
        if (buf_size > 0 && stream_set_buffer_size(&pb, buf_size) < 0) {
            stream_close(&pb);
            return FMT_ERR_IO;
        }
        if (!fmt) {
            const char* dot = std::strrchr(pd.filename, '.');
            if (dot && strcasecmp(dot + 1, "dat") == 0)
                stream_seek(&pb, 70628, SEEK_SET);
            pd.buf_size = read_bytes(&pb, sample, PROBE_SAMPLE_SIZE);
            stream_seek(&pb, 0, SEEK_SET);
            fmt = probe_input_format(&pd, 1);
        }
    }
    if (!fmt) {
        if (file_open)
            stream_close(&pb);
        return FMT_ERR_NOFMT;
    }
    if ((fmt->flags & FMT_NEEDNUMBER) && !has_one_frame_number(pd.filename)) {
        if (file_open)
            stream_close(&pb);
        return FMT_ERR_NUMEXPECTED;
    }

    auto* s = static_cast<FormatContext*>(mem_alloc(sizeof(FormatContext)));
    void* priv = s && fmt->priv_data_size > 0 ? mem_alloc(fmt->priv_data_size) : nullptr;
    if (!s || (fmt->priv_data_size > 0 && !priv)) {
        mem_free(s);
        mem_free(priv);
        if (file_open)
            stream_close(&pb);
        return FMT_ERR_NOMEM;
    }
    s->av_class = &format_class;
    s->iformat = fmt;
    s->pb = pb;
    s->start_time = kNoValue;
    s->duration = kNoValue;
    std::snprintf(s->filename, sizeof(s->filename), "%s", pd.filename);
    s->priv_data = priv;

    if (fmt->read_header)
        fmt->read_header(s, ap);
    close_input(s);
    return 0;
}

void close_input(FormatContext* s)
{
    if (!s)
        return;
    if (s->iformat && s->iformat->read_close)
        s->iformat->read_close(s);
    for (int i = 0; i < s->nb_streams; ++i)
        mem_freep(&s->streams[i]);
    if (!s->iformat || !(s->iformat->flags & FMT_NOFILE))
        stream_close(&s->pb);
    mem_freep(&s->priv_data);
    mem_free(s);
}

// --- the atom walk ---

static int64_t bytes_left_in_file(ByteStream* pb)
{
    ProtocolHandle* h = stream_handle(pb);
    if (!h)
        return 0;
    const int64_t size = stream_size(h);
    const int64_t here = stream_tell(pb);
    return size < 0 || here < 0 || here > size ? 0 : size - here;
}

// The part of an atom's payload that the file really holds from here on:
// tables are never sized or read beyond it.
static int64_t payload_in_file(ByteStream* pb, AtomHeader atom)
{
    const int64_t left = bytes_left_in_file(pb);
    return atom.size < left ? atom.size : left;
}

int mov_read_container(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (c->depth >= MOV_MAX_DEPTH)
        return MOV_ERR_TOO_DEEP;
    const int64_t parent_size = atom.size < 0 ? kUnbounded : atom.size;
    ++c->depth;

    int64_t total = 0;
    int err = 0;
    AtomHeader a = {0, atom.offset, 0};
    int64_t child_start = a.offset;
    while (total + 8 < parent_size && !stream_eof(pb) && err == 0) {
        child_start = a.offset;
        a.size = parent_size;
        a.type = 0;
        int head = 8;
        if (parent_size >= 8) {
            a.size = read_be32(pb);
            a.type = read_le32(pb);
        }
        total += 8;
        a.offset += 8;
        if (a.size == 1) {
            const uint64_t large = read_be64(pb);
            a.size = large > static_cast<uint64_t>(kUnbounded) ? kUnbounded : static_cast<int64_t>(large) - 8;
            a.offset += 8;
            total += 8;
            head = 16;
        } else if (a.size == 0) {
            // Runs to the end of the parent: the head is already counted in total.
            a.size = parent_size - total + 8;
            if (a.size <= 8)
                break;
        }
        if (a.size < 8) {
            err = MOV_ERR_BAD_SIZE; // would move the walk backwards
            if (!c->walk_error)
                c->walk_error = err;
            break;
        }
        if (c->strict_bounds && a.size - 8 > parent_size - total) {
            err = MOV_ERR_BAD_SIZE; // runs past its parent (or the file)
            if (!c->walk_error)
                c->walk_error = err;
            break;
        }
        a.size -= 8;

        const AtomHandlerEntry* e = c->parse_table;
        while (e->type && e->type != a.type)
            ++e;
        if (!e->type) {
            stream_skip(pb, a.size);
        } else {
            c->atom_head_size = head;
            const int r = e->handler(c, pb, a);
            if (r != 0 && !c->walk_error)
                c->walk_error = r;
            if (r == -1) {
                c->walk_reach = child_start;
                --c->depth;
                return -1;
            }
            err = r;
        }
        // Keep the walk on the atom boundaries whatever the handler consumed.
        if (a.size > kUnbounded - a.offset)
            break;
        const int64_t child_end = a.offset + a.size;
        if (stream_tell(pb) != child_end)
            stream_seek(pb, child_end, SEEK_SET);
        a.offset = child_end;
        if (a.size > kUnbounded - total)
            break;
        total += a.size;
    }
    c->walk_reach = err == 0 ? a.offset : child_start;
    if (err == 0 && total < parent_size && parent_size < 0x7FFFF)
        stream_skip(pb, parent_size - total);
    --c->depth;
    return err;
}

static int mov_skip_payload(ByteStream* pb, AtomHeader atom)
{
    if (atom.size > 1)
        stream_skip(pb, atom.size);
    return 0;
}

int mov_read_leaf(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (atom.type == mktag('u', 'u', 'i', 'd'))
        return title_read_uuid(c, pb, atom);
    return mov_skip_payload(pb, atom);
}

static int mov_read_mdat(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (atom.size == 0)
        return 0;
    c->mdat_offset = atom.offset;
    c->mdat_size = atom.size;
    c->found_mdat = 1;
    if (c->found_moov)
        return 1;
    stream_skip(pb, atom.size);
    return 0;
}

static int mov_read_wide(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    if (atom.size < 8)
        return 0;
    if (read_be32(pb) != 0) {
        stream_skip(pb, atom.size - 4);
        return 0;
    }
    atom.type = read_le32(pb);
    atom.offset += 8;
    atom.size -= 8;
    if (atom.type != mktag('m', 'd', 'a', 't')) {
        stream_skip(pb, atom.size);
        return 0;
    }
    return mov_read_mdat(c, pb, atom);
}

static int version_flags(ByteStream* pb)
{
    const int version = read_u8(pb);
    read_be24(pb);
    return version;
}

// Creation and modification times: 64-bit each in version 1, else 32-bit.
static void skip_creation_times(ByteStream* pb, int version)
{
    if (version == 1) {
        read_be64(pb);
        read_be64(pb);
    } else {
        read_be32(pb);
        read_be32(pb);
    }
}

static int mov_read_mvhd(MovContext* c, ByteStream* pb, AtomHeader)
{
    const int version = version_flags(pb);
    skip_creation_times(pb, version);
    c->time_scale = static_cast<int>(read_be32(pb));
    c->duration = version == 1 ? static_cast<int64_t>(read_be64(pb) & 0x7FFFFFFFFFFFFFFFull) : read_be32(pb);
    // rate, volume, reserved, matrix and the rest: the walk realigns after us.
    return 0;
}

static int64_t scaled_duration(int64_t duration, int time_scale)
{
    if (time_scale <= 0 || duration < 0 || duration > INT64_MAX / 1000000)
        return kNoValue;
    return duration * 1000000 / time_scale;
}

static MovTrack* current_track(MovContext* c)
{
    FormatContext* fc = c->fc;
    return fc->nb_streams > 0 ? c->tracks[fc->nb_streams - 1] : nullptr;
}

static StreamRecord* current_stream(MovContext* c)
{
    FormatContext* fc = c->fc;
    return fc->nb_streams > 0 ? fc->streams[fc->nb_streams - 1] : nullptr;
}

static int mov_read_trak(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    FormatContext* fc = c->fc;
    if (fc->nb_streams >= MAX_STREAMS)
        return MOV_ERR_TOO_MANY_TRACKS;
    auto* st = static_cast<StreamRecord*>(mem_alloc(sizeof(StreamRecord)));
    auto* track = static_cast<MovTrack*>(mem_alloc(sizeof(MovTrack)));
    if (!st || !track) {
        mem_free(st);
        mem_free(track);
        return -1;
    }
    st->index = fc->nb_streams;
    st->start_time = 0;
    st->duration = scaled_duration(c->duration, c->time_scale);
    track->sample_to_chunk_index = -1;
    fc->streams[fc->nb_streams] = st;
    c->tracks[fc->nb_streams] = track;
    ++fc->nb_streams;
    return mov_read_container(c, pb, atom);
}

static int mov_read_tkhd(MovContext* c, ByteStream* pb, AtomHeader)
{
    StreamRecord* st = current_stream(c);
    if (!st)
        return 0;
    const int version = version_flags(pb);
    skip_creation_times(pb, version);
    st->id = static_cast<int>(read_be32(pb));
    read_be32(pb);
    const int64_t duration = version == 1 ? static_cast<int64_t>(read_be64(pb) & 0x7FFFFFFFFFFFFFFFull) : read_be32(pb);
    st->duration = scaled_duration(duration, c->time_scale);
    for (int i = 0; i < 2 + 1 + 1 + 9; ++i) // reserved, layer/group, volume, matrix
        read_be32(pb);
    st->width = static_cast<int>(read_be32(pb) >> 16);
    st->height = static_cast<int>(read_be32(pb) >> 16);
    return 0;
}

static int mov_read_mdhd(MovContext* c, ByteStream* pb, AtomHeader)
{
    MovTrack* track = current_track(c);
    if (!track)
        return 0;
    const int version = version_flags(pb);
    skip_creation_times(pb, version);
    track->time_scale = static_cast<int>(read_be32(pb));
    return 0;
}

static int mov_read_hdlr(MovContext* c, ByteStream* pb, AtomHeader)
{
    version_flags(pb);
    const uint32_t type = read_le32(pb);
    const uint32_t subtype = read_le32(pb);
    (void)type; // "mhlr" marks QuickTime, 0 marks MP4; the name is skipped by the walk either way
    StreamRecord* st = current_stream(c);
    if (st) {
        if (subtype == mktag('v', 'i', 'd', 'e'))
            st->codec_type = CODEC_TYPE_VIDEO;
        else if (subtype == mktag('s', 'o', 'u', 'n'))
            st->codec_type = CODEC_TYPE_AUDIO;
    }
    return 0;
}

static int mov_read_stsd(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    StreamRecord* st = current_stream(c);
    const int64_t available = payload_in_file(pb, atom);
    if (!st || available < 16)
        return 0;
    version_flags(pb);
    const unsigned entries = read_be32(pb);
    int64_t used = 8;
    for (unsigned i = 0; i < entries && used + 8 <= available && !stream_eof(pb); ++i) {
        const int64_t size = read_be32(pb);
        const uint32_t tag = read_le32(pb);
        if (size < 8 || size > available - used)
            break;
        st->codec_tag = tag;
        for (Codec* codec = first_avcodec; codec; codec = codec->next) {
            if (codec->tag == tag) {
                st->codec_id = codec->id;
                break;
            }
        }
        stream_skip(pb, size - 8);
        used += size;
    }
    return 0;
}

static int mov_read_codec_header(MovContext* c, ByteStream* pb, AtomHeader atom, int lead)
{
    if (atom.size > 0x40000000)
        return -1;
    MovTrack* track = current_track(c);
    if (!track || atom.size <= 0)
        return 0;
    // Never size a buffer from bytes the file does not hold.
    if (atom.size > bytes_left_in_file(pb))
        return 0;
    auto* header = static_cast<unsigned char*>(mem_alloc(atom.size + lead));
    if (!header)
        return 0;
    if (lead == 90)
        std::memcpy(header, "SVQ3", 5);
    read_bytes(pb, header + (lead == 90 ? 90 : 0), static_cast<int>(atom.size));
    mem_free(track->codec_header);
    track->codec_header = header;
    track->codec_header_size = static_cast<int>(atom.size) + (lead == 90 ? 90 : 0);
    return 0;
}

static int mov_read_smi(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    return mov_read_codec_header(c, pb, atom, 90);
}

static int mov_read_avcc(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    return mov_read_codec_header(c, pb, atom, 8);
}

static int mov_read_esds(MovContext*, ByteStream*, AtomHeader)
{
    return 0; // the decoder configuration is never used; the walk skips the payload
}

// Reads a table of `count` entries of `fields` 32-bit values (or 64-bit for
// co64), refusing counts that the atom's payload cannot hold.
static int read_table(ByteStream* pb, AtomHeader atom, int fields, int wide, void** out, int* count_out)
{
    const int64_t available = payload_in_file(pb, atom);
    version_flags(pb);
    const int64_t count = read_be32(pb);
    const int64_t entry_bytes = static_cast<int64_t>(fields) * (wide ? 8 : 4);
    if (available < 8 || count > (available - 8) / entry_bytes)
        return 0; // a count beyond the atom: leave the table empty
    void* table = mem_alloc(count * fields * (wide ? 8 : 4));
    if (!table)
        return -1;
    for (int64_t i = 0; i < count * fields; ++i) {
        if (wide)
            static_cast<int64_t*>(table)[i] = static_cast<int64_t>(read_be64(pb));
        else
            static_cast<uint32_t*>(table)[i] = read_be32(pb);
    }
    mem_free(*out);
    *out = table;
    *count_out = static_cast<int>(count);
    return 0;
}

static int mov_read_stco(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    MovTrack* track = current_track(c);
    if (!track)
        return 0;
    if (atom.type == mktag('c', 'o', '6', '4'))
        return read_table(pb, atom, 1, 1, reinterpret_cast<void**>(&track->chunk_offsets), &track->chunk_count);
    uint32_t* offsets = nullptr;
    int count = 0;
    if (read_table(pb, atom, 1, 0, reinterpret_cast<void**>(&offsets), &count) < 0)
        return -1;
    if (offsets) {
        auto* wide = static_cast<int64_t*>(mem_alloc(static_cast<int64_t>(count) * 8));
        if (!wide) {
            mem_free(offsets);
            return -1;
        }
        for (int i = 0; i < count; ++i)
            wide[i] = offsets[i];
        mem_free(offsets);
        mem_free(track->chunk_offsets);
        track->chunk_offsets = wide;
        track->chunk_count = count;
    }
    return 0;
}

static int mov_read_stsc(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    MovTrack* track = current_track(c);
    return track ? read_table(pb, atom, 3, 0, reinterpret_cast<void**>(&track->stsc_data), &track->stsc_count) : 0;
}

static int mov_read_stss(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    MovTrack* track = current_track(c);
    return track ? read_table(pb, atom, 1, 0, reinterpret_cast<void**>(&track->keyframes), &track->keyframe_count) : 0;
}

static int mov_read_stsz(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    MovTrack* track = current_track(c);
    const int64_t available = payload_in_file(pb, atom);
    if (!track || available < 12)
        return 0;
    version_flags(pb);
    track->sample_size = read_be32(pb);
    const int64_t count = read_be32(pb);
    track->sample_count = static_cast<int>(count & 0x7FFFFFFF);
    if (track->sample_size != 0 || count > (available - 12) / 4)
        return 0;
    auto* sizes = static_cast<uint32_t*>(mem_alloc(count * 4));
    if (!sizes)
        return -1;
    for (int64_t i = 0; i < count; ++i)
        sizes[i] = read_be32(pb);
    mem_free(track->sample_sizes);
    track->sample_sizes = sizes;
    return 0;
}

// Time-to-sample and composition-offset tables: pairs of 32-bit values.
static int read_pair_table(ByteStream* pb, AtomHeader atom, void** data, int* count_out)
{
    stream_skip(pb, 4);
    const unsigned count = read_be32(pb);
    stream_skip(pb, -8);
    if (count >= 0x1FFFFFFF)
        return -1;
    return read_table(pb, atom, 2, 0, data, count_out);
}

static int mov_read_stts(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    MovTrack* track = current_track(c);
    if (!track)
        return 0;
    return read_pair_table(pb, atom, reinterpret_cast<void**>(&track->stts_data), &track->stts_count);
}

static int mov_read_ctts(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    MovTrack* track = current_track(c);
    if (!track)
        return 0;
    return read_pair_table(pb, atom, reinterpret_cast<void**>(&track->ctts_data), &track->ctts_count);
}

static int mov_read_elst(MovContext* c, ByteStream* pb, AtomHeader)
{
    version_flags(pb);
    const unsigned count = read_be32(pb);
    MovTrack* track = current_track(c);
    if (track)
        track->edit_count = static_cast<int>(count & 0x7FFFFFFF);
    return 0; // the edits themselves are skipped by the walk
}

static int mov_read_ctab(MovContext* c, ByteStream* pb, AtomHeader atom)
{
    auto* table = static_cast<ColorTable*>(mem_alloc(sizeof(ColorTable)));
    if (!table)
        return 0;
    const int64_t available = payload_in_file(pb, atom);
    table->seed = read_be32(pb);
    table->flags = static_cast<int>(read_be16(pb));
    const int64_t count = static_cast<int64_t>(read_be16(pb)) + 1;
    if (available >= 8 && count <= (available - 8) / 8) {
        table->count = static_cast<int>(count);
        table->entries = static_cast<unsigned char*>(mem_alloc(count * 8));
        if (table->entries)
            read_bytes(pb, table->entries, static_cast<int>(count * 8));
    }
    ColorTable** p = &c->ctab;
    while (*p)
        p = &(*p)->next;
    *p = table;
    ++c->ctab_count;
    return 0;
}

#define TAG(s) mktag(s[0], s[1], s[2], s[3])

const AtomHandlerEntry mov_default_parse_table[] = {
    {TAG("co64"), mov_read_stco},      {TAG("cprt"), mov_read_container}, {TAG("crhd"), mov_read_container},
    {TAG("ctts"), mov_read_ctts},      {TAG("dinf"), mov_read_container}, {TAG("dpnd"), mov_read_leaf},
    {TAG("dref"), mov_read_leaf},      {TAG("edts"), mov_read_container}, {TAG("elst"), mov_read_elst},
    {TAG("free"), mov_read_leaf},      {TAG("hdlr"), mov_read_hdlr},      {TAG("hint"), mov_read_leaf},
    {TAG("hmhd"), mov_read_leaf},      {TAG("iods"), mov_read_leaf},      {TAG("mdat"), mov_read_mdat},
    {TAG("mdhd"), mov_read_mdhd},      {TAG("mdia"), mov_read_container}, {TAG("minf"), mov_read_container},
    {TAG("moov"), mov_read_moov_atom}, {TAG("mp4a"), mov_read_container}, {TAG("mp4s"), mov_read_container},
    {TAG("mp4v"), mov_read_container}, {TAG("mpod"), mov_read_leaf},      {TAG("mvhd"), mov_read_mvhd},
    {TAG("nmhd"), mov_read_leaf},      {TAG("odhd"), mov_read_container}, {TAG("sdhd"), mov_read_container},
    {TAG("skip"), mov_read_leaf},      {TAG("smhd"), mov_read_leaf},      {TAG("SMI "), mov_read_smi},
    {TAG("avcC"), mov_read_avcc},      {TAG("stbl"), mov_read_container}, {TAG("stco"), mov_read_stco},
    {TAG("stdp"), mov_read_container}, {TAG("stsc"), mov_read_stsc},      {TAG("stsd"), mov_read_stsd},
    {TAG("stsh"), mov_read_container}, {TAG("stss"), mov_read_stss},      {TAG("stsz"), mov_read_stsz},
    {TAG("stts"), mov_read_stts},      {TAG("tkhd"), mov_read_tkhd},      {TAG("trak"), mov_read_trak},
    {TAG("tref"), mov_read_container}, {TAG("udta"), mov_read_leaf},      {TAG("url "), mov_read_leaf},
    {TAG("urn "), mov_read_leaf},      {TAG("uuid"), mov_read_leaf},      {TAG("vmhd"), mov_read_leaf},
    {TAG("wave"), mov_read_container}, {TAG("MDES"), mov_read_leaf},      {TAG("chap"), mov_read_leaf},
    {TAG("clip"), mov_read_container}, {TAG("crgn"), mov_read_leaf},      {TAG("ctab"), mov_read_ctab},
    {TAG("esds"), mov_read_esds},      {TAG("kmat"), mov_read_leaf},      {TAG("matt"), mov_read_container},
    {TAG("rdrf"), mov_read_leaf},      {TAG("rmda"), mov_read_container}, {TAG("rmdr"), mov_read_leaf},
    {TAG("rmra"), mov_read_container}, {TAG("scpt"), mov_read_leaf},      {TAG("ssrc"), mov_read_leaf},
    {TAG("sync"), mov_read_leaf},      {TAG("tcmd"), mov_read_leaf},      {TAG("wide"), mov_read_wide},
    {TAG("cmov"), mov_read_leaf},      {0, nullptr},
};

int mov_read_header(FormatContext* s, FormatParameters*)
{
    auto* c = static_cast<MovContext*>(s->priv_data);
    ByteStream* pb = &s->pb;
    c->fc = s;
    c->parse_table = mov_default_parse_table;

    AtomHeader root = {0, 0, 0};
    if (pb->is_streamed) {
        root.size = kUnbounded;
    } else {
        ProtocolHandle* h = stream_handle(pb);
        root.size = h ? stream_size(h) : 0;
    }
    c->atom_head_size = 0;
    const int err = mov_read_container(c, pb, root);
    c->total_streams = s->nb_streams;
    if (err >= 0 && (c->found_moov || c->found_mdat))
        return 0;
    title_after_walk(c, pb);
    return -1;
}

static int mov_read_close(FormatContext* s)
{
    auto* c = static_cast<MovContext*>(s->priv_data);
    if (!c)
        return 0;
    for (MovTrack*& track : c->tracks) {
        if (!track)
            continue;
        mem_free(track->chunk_offsets);
        mem_free(track->stsc_data);
        mem_free(track->keyframes);
        mem_free(track->sample_sizes);
        mem_free(track->stts_data);
        mem_free(track->ctts_data);
        mem_free(track->codec_header);
        mem_freep(&track);
    }
    while (c->ctab) {
        ColorTable* next = c->ctab->next;
        mem_free(c->ctab->entries);
        mem_free(c->ctab);
        c->ctab = next;
    }
    return 0;
}

static int mov_read_packet(FormatContext*, void*)
{
    return -1;
}

static int mov_read_seek(FormatContext*, int, int64_t)
{
    return -1;
}

InputFormat mov_input_format = {
    "mov,mp4,m4a,3gp", "QuickTime/MPEG4 format", static_cast<int>(sizeof(MovContext)), mov_probe_atoms,
    mov_read_header, mov_read_packet, mov_read_close, mov_read_seek, 0, nullptr, nullptr,
};

} // extern "C"
