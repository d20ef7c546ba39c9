// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "thumbnail/Thumbnail.h"

#include <QString>

#include <optional>

namespace thumbnail {

/**
 * The folder of the generated pictures: the user's cache folder
 * (XDG_CACHE_HOME, else ~/.cache) + "/reelkeeper/thumbnails", unless set.
 */
QString cacheRoot();
/** Puts the cache somewhere else (tests); an empty root restores the default. */
void setCacheRoot(const QString& root);

/**
 * The cached 160 x 120 JPEG of a video, keyed by its absolute path, length
 * and last-write time; made and stored when missing. Nothing for a video that
 * gives no picture: that is remembered too (an empty marker), so it is not
 * decoded again until it changes. Decodes on the calling thread; safe on any
 * thread and across processes (entries appear whole, by rename).
 */
std::optional<QString> cachedPicture(const QString& video, const Limits& limits = {});

} // namespace thumbnail
