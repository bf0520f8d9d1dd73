#include "ui/logic/preview.h"

#include <algorithm>

#include "render/canvas_layout.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace vornel {

namespace {

RgbPicture filledPicture(int width, int height, std::uint32_t rgb) {
  RgbPicture picture;
  picture.width = width;
  picture.height = height;
  picture.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    picture.rgb[i] = static_cast<std::uint8_t>(rgb >> 16);
    picture.rgb[i + 1] = static_cast<std::uint8_t>(rgb >> 8);
    picture.rgb[i + 2] = static_cast<std::uint8_t>(rgb);
  }
  return picture;
}

void setPixel(RgbPicture& picture, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
  std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  p[0] = r;
  p[1] = g;
  p[2] = b;
}

void blackPixel(RgbPicture& picture, int x, int y) {
  setPixel(picture, x, y, 0, 0, 0);
}

// The one-pixel outline a GDI Rectangle draws for (left, top) .. (right, bottom),
// right and bottom exclusive.
void frame(RgbPicture& picture, int left, int top, int right, int bottom) {
  for (int x = left; x < right; ++x) {
    blackPixel(picture, x, top);
    blackPixel(picture, x, bottom - 1);
  }
  for (int y = top; y < bottom; ++y) {
    blackPixel(picture, left, y);
    blackPixel(picture, right - 1, y);
  }
}

int paneSide(int shown) {
  return std::clamp(shown + 2, 10, kMaxPaneSide);
}

}  // namespace

PreviewGeometry previewGeometry(int shownWidth, int shownHeight) {
  PreviewGeometry g;
  g.paneWidth = paneSide(shownWidth);
  g.paneHeight = paneSide(shownHeight);
  g.tabWidth = g.paneWidth + 10;
  g.tabHeight = g.paneHeight + 34;
  g.windowWidth = g.paneWidth + 15;
  g.windowHeight = g.paneHeight + 39;
  return g;
}

RgbPicture paintTextPane(Engine& engine, const PreviewGeometry& geometry, int w, int h) {
  const int W = geometry.paneWidth, H = geometry.paneHeight;
  RgbPicture pane = filledPicture(W, H, 0xFFFFFF);
  frame(pane, 0, 0, W, H);

  // The text is drawn white on black inside the pane inset by one pixel, then shown
  // black on the white pane.
  const int innerW = W - 2, innerH = H - 2;
  std::vector<std::uint8_t> raster(static_cast<std::size_t>(innerW) * innerH * 3, 0);
  const WorkingSet& ws = engine.doc.ws;
  engine.text.draw(ws.font, ws.message, raster.data(), innerW, innerH, 0, 0);
  for (int y = 0; y < innerH; ++y)
    for (int x = 0; x < innerW; ++x)
      if (raster[(static_cast<std::size_t>(y) * innerW + x) * 3] != 0)
        blackPixel(pane, x + 1, y + 1);

  // The right and bottom edges of the text's box, as LineTo draws them: from (w + 1, 0)
  // down to (w + 1, h + 1) and on to (0, h + 1), each end point left out.
  for (int y = 0; y <= h; ++y) blackPixel(pane, w + 1, y);
  for (int x = w + 1; x > 0; --x) blackPixel(pane, x, h + 1);
  return pane;
}

RgbPicture paintImagePane(const VornelDocument& doc, const PreviewGeometry& geometry, bool pressed,
                          std::uint32_t surround) {
  const int W = geometry.paneWidth, H = geometry.paneHeight;
  RgbPicture pane = filledPicture(W, H, surround);
  const DibImage& image = pressed ? doc.pressedOutputImage : doc.outputImage;
  RgbPicture picture = image.empty() ? RgbPicture{} : image.toRgb();
  const int w = picture.width, h = picture.height;

  // The frame's inside is white where the picture does not cover it.
  for (int y = 1; y < std::min(h + 1, H); ++y)
    for (int x = 1; x < std::min(w + 1, W); ++x) setPixel(pane, x, y, 255, 255, 255);
  frame(pane, 0, 0, std::min(w + 2, W), std::min(h + 2, H));
  // Clipped so that the picture stays inside the frame and the pane.
  const int shownW = std::min(w, W - 2), shownH = std::min(h, H - 2);
  for (int y = 0; y < shownH; ++y) {
    const std::uint8_t* from = &picture.rgb[static_cast<std::size_t>(y) * w * 3];
    std::uint8_t* to = &pane.rgb[((static_cast<std::size_t>(y) + 1) * W + 1) * 3];
    std::copy(from, from + static_cast<std::size_t>(shownW) * 3, to);
  }
  return pane;
}

PreviewContent refreshPreview(Engine& engine, PreviewState& state) {
  PreviewContent content;
  content.tab = state.tab;
  VornelDocument& doc = engine.doc;
  if (state.tab == kTextTab) {
    TextOnlySize size = measureTextOnly(engine);
    state.shownWidth = size.width;
    state.shownHeight = size.height;
    content.geometry = previewGeometry(size.width, size.height);
    content.pane = paintTextPane(engine, content.geometry, std::min(size.width, kMaxPaneSide),
                                 std::min(size.height, kMaxPaneSide));
    return content;
  }
  if (doc.outputStale) renderJob(engine);
  state.shownWidth = doc.outputImage.empty() ? 0 : doc.outputImage.width();
  state.shownHeight = doc.outputImage.empty() ? 0 : doc.outputImage.height();
  content.geometry = previewGeometry(state.shownWidth, state.shownHeight);
  content.pane = paintImagePane(doc, content.geometry, false);
  if (doc.pressedImage && !doc.pressedOutputImage.empty())
    content.pressedPane = paintImagePane(doc, content.geometry, true);
  return content;
}

}  // namespace vornel
