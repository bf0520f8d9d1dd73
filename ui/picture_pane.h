// A framed pane that shows a picture from its top-left corner, pixel for pixel, or
// shrunk to fit when it is larger than the pane (the Tile dialog's result).
#pragma once

#include <QImage>
#include <QWidget>

namespace vornel {

class PicturePane : public QWidget {
 public:
  PicturePane(QWidget* parent, const QSize& size);
  void setPicture(const QImage& picture);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace vornel
