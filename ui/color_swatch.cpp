#include "ui/color_swatch.h"

#include <QPainter>

#include "ui/font_and_color.h"

namespace vornel {

ColorSwatch::ColorSwatch(QWidget* parent) : QWidget(parent) {
  setFixedSize(44, 22);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorSwatch::setColor(std::uint32_t colorRef) {
  if (colorRef == color_) return;
  color_ = colorRef;
  update();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), colorOf(color_));
  painter.setPen(Qt::black);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vornel
