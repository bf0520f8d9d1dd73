#include "ui/picture_pane.h"

#include <QPainter>

namespace vornel {

PicturePane::PicturePane(QWidget* parent, const QSize& size) : QWidget(parent) {
  setFixedSize(size);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PicturePane::setPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void PicturePane::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const QRect inside = rect().adjusted(1, 1, -1, -1);
  if (!picture_.isNull()) {
    QSize shown = picture_.size();
    if (shown.width() > inside.width() || shown.height() > inside.height())
      shown.scale(inside.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, shown != picture_.size());
    painter.drawImage(QRect(inside.topLeft(), shown), picture_);
  }
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vornel
