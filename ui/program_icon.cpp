#include "ui/program_icon.h"

namespace vornel {

QImage iconWithoutSurround(const QImage& render) {
  if (render.isNull()) return {};
  QImage icon = render.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < icon.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(icon.scanLine(y));
    for (int x = 0; x < icon.width(); ++x)
      if ((row[x] & 0xFFFFFF) == 0xFFFFFF) row[x] = 0;
  }
  return icon;
}

QIcon programIcon() {
  QIcon icon;
  for (int side : {16, 32, 48, 64, 128, 256}) {
    const QImage render(QString(":/pictures/icon%1.bmp").arg(side));
    if (!render.isNull()) icon.addPixmap(QPixmap::fromImage(iconWithoutSurround(render)));
  }
  return icon;
}

}  // namespace vornel
