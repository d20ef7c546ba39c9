#pragma once

#include <QIcon>
#include <QImage>

namespace shell {

// The program's icon: a film reel, drawn at the sizes window managers ask for,
// so that no picture file has to travel with the program.
QIcon appIcon();

// One size of that icon. Needs no QGuiApplication, so the build draws the
// installed theme icons with it.
QImage appIconImage(int size);

} // namespace shell
