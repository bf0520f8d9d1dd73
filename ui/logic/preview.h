// The preview window's logic: which pane it shows, how big the window is for a shown
// picture, and the two panes drawn as plain pictures (the widgets only put them on
// screen). The "Text" pane is the message alone in the current font; the "Image" pane
// is the output picture, or its pressed twin while the mouse is held on it.
#pragma once

#include <cstdint>

#include "imageio/dib_image.h"

namespace vornel {

struct Engine;
struct VornelDocument;

inline constexpr int kTextTab = 0;
inline constexpr int kImageTab = 1;

// Pane sides are capped so that a huge font cannot ask for a picture larger than any
// screen.
inline constexpr int kMaxPaneSide = 4096;

struct PreviewState {
  int tab = kTextTab;
  int shownWidth = 0, shownHeight = 0;  // the picture shown, w x h
};

// For a shown w x h picture: panes W x H = max(w + 2, 10) x max(h + 2, 10) at (5, 5),
// the tab control (W + 10) x (H + 34) and the window (W + 15) x (H + 39).
struct PreviewGeometry {
  int paneWidth = 10, paneHeight = 10;
  int tabWidth = 20, tabHeight = 44;
  int windowWidth = 25, windowHeight = 49;
  static constexpr int kPaneX = 5, kPaneY = 5;
};
PreviewGeometry previewGeometry(int shownWidth, int shownHeight);

// What the preview window must show after a refresh.
struct PreviewContent {
  int tab = kTextTab;
  PreviewGeometry geometry;
  RgbPicture pane;         // the shown pane, paneWidth x paneHeight
  RgbPicture pressedPane;  // the "Image" pane with the pressed twin; empty when none
};

// RefreshPreview: on the "Text" tab measures the text alone; on the "Image" tab renders
// the job first when its picture is stale. Sizes the window for the shown picture and
// draws the pane. Never runs effects otherwise.
PreviewContent refreshPreview(Engine& engine, PreviewState& state);

// The "Text" pane: white, framed, the working message in black in the current font from
// (1, 1), and the right and bottom edges of the text's w x h box.
RgbPicture paintTextPane(Engine& engine, const PreviewGeometry& geometry, int w, int h);
// The "Image" pane: a framed (w + 2) x (h + 2) box with the output picture (or the
// pressed one) inside from (1, 1), the rest of the pane in `surround` (0xRRGGBB).
RgbPicture paintImagePane(const VornelDocument& doc, const PreviewGeometry& geometry, bool pressed,
                          std::uint32_t surround = 0xF0F0F0);

}  // namespace vornel
