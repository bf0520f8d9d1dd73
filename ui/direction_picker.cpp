#include "ui/direction_picker.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/logic/direction_picker.h"
#include "ui/picture_image.h"

namespace vornel {

DirectionPicker::DirectionPicker(QWidget* parent) : QWidget(parent) {
  // About 75 x 50 dialog units.
  setFixedSize(112, 80);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
  setToolTip("Drag to point the gradient");
}

void DirectionPicker::setPicture(const RgbPicture& picture) {
  picture_ = imageOf(picture);
  update();
}

void DirectionPicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.drawImage(rect(), picture_);
}

double DirectionPicker::angleAt(const QPoint& point) const {
  return directionAngle(point.x(), point.y(), width(), height());
}

void DirectionPicker::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) tracking_ = true;
}

void DirectionPicker::mouseMoveEvent(QMouseEvent* event) {
  if (tracking_ && onTracked) onTracked(angleAt(event->position().toPoint()));
}

void DirectionPicker::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !tracking_) return;
  tracking_ = false;
  if (onReleased) onReleased(angleAt(event->position().toPoint()));
}

}  // namespace vornel
