// CTrackSlider: a slider that tells its dialog after every key press on it, after a
// left-button press, after every mouse move while that button is held, and when the
// button is released; so the dialog previews each step of a drag, not only its end.
#pragma once

#include <QSlider>
#include <functional>

namespace vornel {

class TrackSlider : public QSlider {
 public:
  // An upright slider has its smallest value at the top, and Up moves the thumb up.
  TrackSlider(Qt::Orientation orientation, QWidget* parent);

  // Called after each of the events above, with the slider already moved.
  std::function<void()> onMoved;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void notify();

  bool held_ = false;
};

}  // namespace vornel
