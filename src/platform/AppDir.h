// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace platform {

/**
 * The folder holding the installed data (Skin/, Language/, Default.THM):
 * $REELKEEPER_APPDIR when set; the running executable's folder when it holds
 * the data (build tree); otherwise <prefix>/share/reelkeeper beside the
 * executable's <prefix>/bin. No trailing separator.
 */
QString appDir();

} // namespace platform
