// Where a dialog opens: beside the preview window, never over it, so that the picture
// it changes stays in sight; and always on the screen.
#pragma once

namespace vornel {

struct PlaceRect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool empty() const { return width <= 0 || height <= 0; }
};

struct PlacePoint {
  int x = 0, y = 0;
};

// The top-left corner for a width x height dialog on screen: right of the main window
// and the preview together, else left of them, else right or left of the preview
// alone, else above or below it; the first that fits the screen, moved up or down to
// stay on it. When none fits it goes right of the preview, pushed onto the screen.
PlacePoint placeBesidePreview(const PlaceRect& mainWindow, const PlaceRect& preview, int width,
                              int height, const PlaceRect& screen);

}  // namespace vornel
