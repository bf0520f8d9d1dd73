// Turns the program icon's BMP renders into the PNG files a desktop's icon theme takes,
// with the white around the rounded tile made transparent.
// Usage: vornel_make_icon_pngs OUT_DIR ICON.bmp...  (writes OUT_DIR/NAME.png for each)
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "ui/program_icon.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vornel_make_icon_pngs OUT_DIR ICON.bmp...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const QImage icon = vornel::iconWithoutSurround(QImage(QString::fromLocal8Bit(argv[i])));
    const QString out = QString::fromLocal8Bit(argv[1]) + "/" +
                        QFileInfo(QString::fromLocal8Bit(argv[i])).completeBaseName() + ".png";
    if (icon.isNull() || !icon.save(out, "PNG")) {
      std::fprintf(stderr, "vornel_make_icon_pngs: cannot make %s\n", qPrintable(out));
      return 1;
    }
  }
  return 0;
}
