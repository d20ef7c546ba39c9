#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The streams of any container libavformat reads, through the picture maker's
// FFmpeg loader: headers and a stream-info probe capped in bytes and time,
// over the file's descriptor. Numbers are FFmpeg's own (codec ids, profiles,
// pixel formats); the media target names them.
namespace thumbnail {

struct StreamInfo
{
    enum Type { Other, Video, Audio } type = Other;
    bool attachedPicture = false; // cover art, not a video
    int codecId = 0;
    int profile = -99;
    int level = -99;
    int width = 0;
    int height = 0;
    int sarNum = 0;
    int sarDen = 0;
    double frameRate = 0;
    double rotation = 0;   // clockwise degrees from the display matrix
    int pixelFormat = -1;
    int sampleRate = 0;
    int channels = 0;
    QByteArray extradata;  // at most 64 KiB
};

struct StreamProbe
{
    QString demuxer;       // e.g. "matroska,webm"; empty: no container it knows
    std::vector<StreamInfo> streams;
};

/** Nothing, with the reason, when the file can't be read or FFmpeg can't be loaded. */
std::optional<StreamProbe> probeStreams(const QString& path, QString* error);

} // namespace thumbnail
