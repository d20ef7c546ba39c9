#pragma once

#include "StorageTestSupport.h"

#include <QColor>
#include <QImage>

#include <filesystem>

/** Writes a picture of one colour; the format follows the given name (e.g. "JPEG", "PNG"). */
inline void writePicture(const std::filesystem::path& path, int width, int height, QColor colour,
                         const char* format = "PNG")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(qpath(path), format);
}
