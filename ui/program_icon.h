// The program icon: renders of a rounded tile on pure white at 16 ... 256 pixels.
#pragma once

#include <QIcon>
#include <QImage>

namespace vornel {

// The render with its pure white surround made transparent (the tile holds no pure
// white, so only the surround goes).
QImage iconWithoutSurround(const QImage& render);

// Every size of the icon, from the window's resources.
QIcon programIcon();

}  // namespace vornel
