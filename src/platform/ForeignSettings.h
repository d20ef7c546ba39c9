// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

namespace platform {

/** What the video converter's settings say about its output folder. Never written. */
struct ConverterOutputDir
{
    bool keyPresent = false;       ///< the converter's "Settings" group exists at all
    std::optional<QString> value;  ///< "OuputDir" when present and readable
};

/**
 * Reads "Settings/OuputDir" of organisation "Quillbrook", application "Clipforge"
 * (QSettings in its native place: ~/.config/Quillbrook/Clipforge.conf on Linux).
 */
ConverterOutputDir readConverterOutputDir();

/** The folder that stands in when "OuputDir" cannot be read: the system's temporary folder. */
QString converterFallbackOutputDir();

/** The last-resort local folder (the user's home folder), with a trailing separator. */
QString homeFolderWithSeparator();

/** True when @p path names an existing file-system entry (file or folder). */
bool entryExists(const QString& path);

} // namespace platform
