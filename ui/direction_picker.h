// DirectionPicker: the Linear Gradient dialog's pane that shows the gradient with a line
// along its direction; pressing the left button on it and dragging points the line at
// the mouse.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "imageio/dib_image.h"

namespace vornel {

class DirectionPicker : public QWidget {
 public:
  explicit DirectionPicker(QWidget* parent);

  // The pane's pixels (ui/logic/direction_picker.h), drawn 1:1.
  void setPicture(const RgbPicture& picture);

  // Each move while the button is held, and the release, with the angle the mouse
  // points at from the centre.
  std::function<void(double)> onTracked;
  std::function<void(double)> onReleased;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  double angleAt(const QPoint& point) const;

  QImage picture_;
  bool tracking_ = false;
};

}  // namespace vornel
