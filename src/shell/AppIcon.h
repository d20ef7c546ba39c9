// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>
#include <QImage>

namespace shell {

// The program's icon: a film reel, drawn at the sizes window managers ask for,
// so that the window needs no picture file.
QIcon appIcon();

// One size of that icon. Needs no QGuiApplication, so the build draws the
// installed theme icons with it (tools/icongen).
QImage appIconImage(int size);

} // namespace shell
