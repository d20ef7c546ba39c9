// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace storage {

inline constexpr char kInvalidPath[] = "Invalid file path!";
inline constexpr char kBrowseTitle[] = "Please select source folder.";

/** The folder listed when a typed one is invalid: the user's home folder. */
QString fallbackLocalFolder();
/**
 * The check for a typed folder: the exact text names an existing entry. A text
 * ending with a separator (the root "/" included) names none.
 */
bool localFolderExists(const QString& text);

} // namespace storage
