// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "media/Profiles.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// What a video file holds and whether the PSP plays it. Reads headers only
// (sample descriptions, codec configuration), never decodes, so it is fast
// enough for every row of a list fill and safe on any thread.
namespace media {

/** The first video track. Numbers are 0 (or -1) and texts empty where the file doesn't say. */
struct VideoFacts
{
    QString codec;            // "H.264", "HEVC", "MPEG-4 Part 2", "VP9", ...
    QString profile;          // "Main", "High", "Simple", "Advanced Simple", ...
    QString level;            // "2.1", "3.0", "1b"
    int width = 0;            // coded picture
    int height = 0;
    double displayAspect = 0; // width / height as shown (pixel aspect applied, before rotation)
    int rotation = 0;         // clockwise degrees from the track matrix: 0, 90, 180 or 270
    double frameRate = 0;     // average
    int refFrames = -1;       // H.264 max_num_ref_frames
    int slices = 0;           // H.264 slices of the first picture; 0 when not read
    QString entropy;          // H.264: "CABAC" or "CAVLC"
    int bitDepth = 0;         // luma bits
    QString chroma;           // "4:2:0", "4:2:2", "4:4:4", "4:0:0"
};

/** The first audio track. */
struct AudioFacts
{
    QString codec;   // "AAC", "MP3", "AC-3", "Opus", ...
    QString profile; // AAC: "LC", "HE", "HE v2", "Main", ...
    int sampleRate = 0;
    int channels = 0;
};

struct Facts
{
    QString container; // "mp4", "mov", "3gp", "matroska", "webm", "avi", ...; empty: none recognised
    std::uint64_t fileSize = 0;
    int bitrate = 0; // kbit/s over the whole file and its longest track; 0 when unknown
    int videoTracks = 0;
    int audioTracks = 0;
    int otherTracks = 0;
    std::optional<VideoFacts> video;
    std::optional<AudioFacts> audio;
    bool cutShort = false;   // the header was read whole but the file ends inside an atom
    bool fragmented = false; // MP4 with movie fragments (mvex, moof)
};

struct Verdict
{
    enum class Kind {
        Plays,    // every limit of the profile is kept
        WontPlay, // reasons says why, every one of them
        NotVideo, // no video stream at all (reasons: "not a video")
        Unknown,  // could not be judged: error says why (unreadable, damaged)
    };
    Kind kind = Kind::Unknown;
    QStringList reasons;
    QString error;

    bool plays() const { return kind == Kind::Plays; }
    /** "plays", the reasons joined by "; ", or "can't judge: " + error. */
    QString text() const;
};

inline constexpr char kNotAVideo[] = "not a video";
inline constexpr char kNoAudio[] = "no audio track";

/**
 * The facts of a file: MP4 and its family through the program's own atom
 * reader, other containers through libavformat (headers and a capped probe).
 * Nothing, with the reason in error, when the file can't be read or is damaged;
 * a file that is no media at all gives facts without tracks.
 */
std::optional<Facts> probe(const QString& path, QString* error);
/** The MP4 reader alone (the fuzz target's entry): nothing for files not of the MP4 family. */
std::optional<Facts> probeMp4(const QString& path, QString* error, bool* isMp4 = nullptr);

/** The facts measured against a profile. */
Verdict judgeFacts(const Facts& facts, const PlayProfile& profile = defaultProfile());
/** probe, then judgeFacts; the one call the lists and the transfer engine use. */
Verdict judge(const QString& path, const PlayProfile& profile = defaultProfile());

/** Facts and verdict as one JSON object (the command line's check --json). */
QJsonObject toJson(const std::optional<Facts>& facts, const Verdict& verdict);

} // namespace media
