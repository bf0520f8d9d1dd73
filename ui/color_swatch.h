// A colour swatch: a small pane filled with a parameter's colour inside a one-pixel
// frame.
#pragma once

#include <QWidget>
#include <cstdint>

namespace vornel {

class ColorSwatch : public QWidget {
 public:
  explicit ColorSwatch(QWidget* parent);
  void setColor(std::uint32_t colorRef);  // 0x00BBGGRR
  std::uint32_t color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::uint32_t color_ = 0;
};

}  // namespace vornel
