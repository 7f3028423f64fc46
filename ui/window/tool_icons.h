#pragma once

#include <QIcon>
#include <QString>

#include <cstdint>

// The toolbar's pictures: the desktop's icon theme by the freedesktop icon
// name of each command, else a picture of the program's own drawn in the same
// spirit, so that a desktop without a theme still shows scissors for 切り取り.

// The freedesktop icon name of a toolbar command; empty for none.
QString ToolIconName(std::uint32_t command);
// The icon of a toolbar command; null for a command without one.
QIcon ToolIcon(std::uint32_t command);
