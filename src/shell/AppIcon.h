#pragma once

#include <QIcon>

namespace shell {

// The program's icon: a film reel, drawn at the sizes window managers ask for,
// so that no picture file has to travel with the program.
QIcon appIcon();

} // namespace shell
