#include "ui/track_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace vornel {

TrackSlider::TrackSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
  setFocusPolicy(Qt::StrongFocus);
  setSingleStep(1);
  if (orientation == Qt::Vertical) {
    setInvertedAppearance(true);
    setInvertedControls(true);
  }
}

void TrackSlider::notify() {
  if (onMoved) onMoved();
}

void TrackSlider::keyPressEvent(QKeyEvent* event) {
  QSlider::keyPressEvent(event);
  // Keys the slider does not take (Escape, Return, Tab) belong to the dialog.
  if (event->isAccepted()) notify();
}

void TrackSlider::mousePressEvent(QMouseEvent* event) {
  QSlider::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  held_ = true;
  notify();
}

void TrackSlider::mouseMoveEvent(QMouseEvent* event) {
  QSlider::mouseMoveEvent(event);
  if (held_ && (event->buttons() & Qt::LeftButton)) notify();
}

void TrackSlider::mouseReleaseEvent(QMouseEvent* event) {
  QSlider::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || !held_) return;
  held_ = false;
  notify();
}

void TrackSlider::wheelEvent(QWheelEvent* event) {
  const int before = value();
  QSlider::wheelEvent(event);
  if (value() != before) notify();
}

}  // namespace vornel
