#pragma once

#include <QString>

namespace platform {

/**
 * The folder holding the installed data (Skin/, Language/, Default.THM):
 * $REELKEEPER_APPDIR when set, otherwise the running executable's folder.
 * No trailing separator.
 */
QString appDir();

} // namespace platform
