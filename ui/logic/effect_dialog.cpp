#include "ui/logic/effect_dialog.h"

#include <algorithm>
#include <cmath>

#include "render/dispatch.h"
#include "render/effects/effects.h"
#include "render/effects/height_field.h"
#include "render/effects/texture_fill.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "ui/logic/number_box.h"
#include "ui/logic/sheet.h"

namespace vornel {

namespace {

// The colour the reshaping dialogs draw the changed text raster in over their preview:
// white, or black over a light background, where white would not show.
std::uint32_t shapeColor(std::uint32_t background) {
  const int luma = (299 * (background & 0xFF) + 587 * (background >> 8 & 0xFF) +
                    114 * (background >> 16 & 0xFF)) /
                   1000;
  return luma > 127 ? 0x000000 : 0xFFFFFF;
}

bool readsWholeNumbers(const ControlSpec& slider) {
  return slider.format == BoxFormat::Integer || slider.format == BoxFormat::Digits;
}

std::optional<std::int32_t> parseDigits(const std::string& text) {
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return parseIntegerBox(text);
}

}  // namespace

EffectRecord effectRecordForAdd(const EffectRecord& working) {
  // These four are appended from the values their dialog shows, as (type, p1, p3, p4,
  // p5, p6, p2, name); whatever else the working record carries stays behind.
  auto shown = [&](std::initializer_list<int> params, bool withTexture) {
    EffectRecord record;
    record.type = working.type;
    for (int p : params) record.param(p) = working.param(p);
    if (withTexture) record.setTexture(working.texture());
    return record;
  };
  switch (working.type) {
    case kSingleColor:
      return shown({1, 3, 4, 5}, true);
    case kOutLine:
      return shown({1, 3, 4, 5}, false);
    case kDropShadow:
      return shown({1, 3, 4, 5, 6}, false);
    case kDepthField:
      return shown({5, 6}, false);
    default:
      return working;
  }
}

EffectDialogLogic::EffectDialogLogic(Engine& engine, std::int32_t type,
                                     std::function<void()> customPreview)
    : engine_(engine),
      dialog_(*effectDialogSpec(type)),
      sliders_(dialogSliders(dialog_)),
      customPreview_(std::move(customPreview)) {}

EffectRecord& EffectDialogLogic::record() {
  return engine_.doc.effectDefaults[static_cast<std::size_t>(dialog_.type)];
}

const EffectRecord& EffectDialogLogic::record() const {
  return engine_.doc.effectDefaults[static_cast<std::size_t>(dialog_.type)];
}

std::string EffectDialogLogic::boxText(const ControlSpec& slider) const {
  const std::int32_t value = record().param(slider.param);
  switch (slider.format) {
    case BoxFormat::Tenths:
      return decimalBoxText(value / 10.0);
    case BoxFormat::Decimal:
      return decimalBoxText(value);
    default:
      return integerBoxText(value);
  }
}

EffectDialogView EffectDialogLogic::view(bool rewriteBoxes) const {
  EffectDialogView out;
  for (const ControlSpec* slider : sliders_) {
    out.positions.push_back(
        std::clamp(record().param(slider->param), slider->minimum, slider->maximum));
    out.boxes.push_back(rewriteBoxes ? std::optional(boxText(*slider)) : std::nullopt);
  }
  if (dialog_.type == kSingleColor) {
    out.colorEnabled =
        record().param(5) != kTiledTextureFill && record().param(5) != kStretchedTextureFill;
    out.bitmapEnabled = !out.colorEnabled;
  }
  return out;
}

bool EffectDialogLogic::preview() {
  RenderCanvas& c = engine_.canvas;
  if (customPreview_) {
    customPreview_();
    engine_.host.refreshPreview();
    return true;
  }
  switch (dialog_.preview) {
    case PreviewKind::None:
    case PreviewKind::Tile:
      return false;
    case PreviewKind::Effect:
      renderEffectPreview(engine_, record());
      break;
    case PreviewKind::TextOverEffect:
      // Each preview starts from the raster the dialog opened on, so a distortion is
      // never applied to its own last result.
      if (savedText_.size() == c.textRaster.size()) c.textRaster = savedText_;
      renderEffectPreview(engine_, record());
      colorFill(c.textRows(), c.canvasRows(), 0, 0, shapeColor(engine_.doc.ws.backgroundColor),
                c.coverage.data());
      publishCanvas(engine_);
      break;
    case PreviewKind::Star:
      renderStarPreview(engine_, record().param(2), static_cast<float>(record().param(6)) * 1000.0f,
                        static_cast<std::uint32_t>(record().param(1)));
      break;
  }
  engine_.host.refreshPreview();
  return true;
}

EffectDialogView EffectDialogLogic::open() {
  EffectRecord& r = record();
  if (dialog_.type == kSingleColor && r.param(5) != kTiledTextureFill &&
      r.param(5) != kStretchedTextureFill)
    r.param(5) = 2;
  if (dialog_.type == k3dSingleColor || dialog_.type == kFog)
    loadShapeProfile(engine_.relief.profile, r);
  if (dialog_.preview == PreviewKind::TextOverEffect) savedText_ = engine_.canvas.textRaster;
  if (dialog_.preview == PreviewKind::Tile) {
    savedCanvas_ = engine_.canvas.canvas;
    savedCoverage_ = engine_.canvas.coverage;
  }
  angle_ = r.param(5);

  EffectDialogView out = view(true);
  if (dialog_.type == kSingleColor || dialog_.type == kTile) out.textureName = r.texture();
  if (dialog_.type == kLinearGradient) out.angleText = decimalBoxText(angle_);
  out.previewed = preview();
  return out;
}

EffectDialogView EffectDialogLogic::sliderMoved(const std::vector<int>& positions) {
  for (std::size_t i = 0; i < sliders_.size() && i < positions.size(); ++i)
    record().param(sliders_[i]->param) =
        std::clamp(positions[i], sliders_[i]->minimum, sliders_[i]->maximum);
  EffectDialogView out = view(true);
  out.previewed = preview();
  return out;
}

void EffectDialogLogic::storeSliderBox(int index, double value, EffectDialogView& out) {
  const ControlSpec& slider = *sliders_[static_cast<std::size_t>(index)];
  const std::int32_t stored = truncToInt32(value);
  record().param(slider.param) = stored;
  out.positions[static_cast<std::size_t>(index)] =
      std::clamp(stored, slider.minimum, slider.maximum);
}

EffectDialogView EffectDialogLogic::boxEdited(int index, const std::vector<std::string>& texts) {
  EffectDialogView out = view(false);
  if (index < 0 || static_cast<std::size_t>(index) >= sliders_.size() ||
      texts.size() != sliders_.size())
    return out;
  const ControlSpec& edited = *sliders_[static_cast<std::size_t>(index)];
  if (edited.rule == BoxRule::ShowOnly) return out;

  std::vector<double> values(sliders_.size(), 0.0);
  for (std::size_t i = 0; i < sliders_.size(); ++i) {
    const ControlSpec& slider = *sliders_[i];
    if (slider.rule == BoxRule::ShowOnly) continue;  // such boxes are not read back
    if (readsWholeNumbers(slider)) {
      std::optional<std::int32_t> v =
          slider.format == BoxFormat::Digits ? parseDigits(texts[i]) : parseIntegerBox(texts[i]);
      if (!v) {
        engine_.host.messageBox(kEnterInteger, kWindowTitle, MsgButtons::Ok, MsgIcon::Warning);
        return out;
      }
      values[i] = *v;
    } else {
      std::optional<double> v = parseDecimalBox(texts[i]);
      if (!v) {
        engine_.host.messageBox(kEnterNumber, kWindowTitle, MsgButtons::Ok, MsgIcon::Warning);
        return out;
      }
      values[i] = *v;
    }
  }

  if (edited.format == BoxFormat::Tenths) {
    // One box of the four typed in stores all four.
    for (std::size_t i = 0; i < sliders_.size(); ++i)
      if (sliders_[i]->format == BoxFormat::Tenths)
        storeSliderBox(static_cast<int>(i), values[i] * 10.0, out);
  } else {
    double value = values[static_cast<std::size_t>(index)];
    if (edited.rule == BoxRule::BelowThirtyTwo && value >= 32) {
      value = 31;
      out.boxes[static_cast<std::size_t>(index)] = integerBoxText(31);
    }
    storeSliderBox(index, value, out);
  }
  if (edited.rule != BoxRule::StoreWithoutPreview) out.previewed = preview();
  return out;
}

EffectDialogView EffectDialogLogic::colorChosen(int param, std::uint32_t color) {
  record().param(param) = static_cast<std::int32_t>(color & 0xFFFFFF);
  EffectDialogView out = view(false);
  out.previewed = preview();
  return out;
}

EffectDialogView EffectDialogLogic::radioChosen(int param, int value) {
  record().param(param) = value;
  EffectDialogView out = view(false);
  out.previewed = preview();
  return out;
}

EffectDialogView EffectDialogLogic::listChosen(int param, int index) {
  record().param(param) = index;
  EffectDialogView out = view(false);
  out.previewed = preview();
  return out;
}

std::string EffectDialogLogic::textureFolder() const {
  return engine_.doc.appDirectory + "texture/";
}

std::string EffectDialogLogic::texturePattern() const {
  // The Tile pictures are the ".git" files (GIF pictures under their own extension).
  return dialog_.type == kTile ? "*.git" : "*.*";
}

EffectDialogView EffectDialogLogic::textureChosen(const std::string& name) {
  record().setTexture(name);
  EffectDialogView out = view(false);
  out.textureName = record().texture();
  if (dialog_.preview != PreviewKind::Tile) {
    out.previewed = preview();
    return out;
  }
  // The Tile record alone over the canvas the dialog opened on.
  RenderCanvas& c = engine_.canvas;
  if (savedCanvas_.size() == c.canvas.size() && savedCoverage_.size() == c.coverage.size()) {
    c.canvas = savedCanvas_;
    c.coverage = savedCoverage_;
  }
  runEffect(engine_, record(), c.textRows(), c.canvasRows(), c.coverage.data());
  publishCanvas(engine_);
  engine_.host.refreshPreview();
  out.previewed = true;
  return out;
}

void EffectDialogLogic::directionTracked(double angle) {
  angle_ = angle;
  record().param(5) = truncToInt32(angle);
}

EffectDialogView EffectDialogLogic::directionReleased(double angle) {
  // The box shows the angle to a hundredth of a degree, and the pane takes the angle
  // the box shows, so the two agree.
  const double shown = std::round(angle * 100.0) / 100.0;
  directionTracked(shown);
  EffectDialogView out = view(false);
  out.angleText = decimalBoxText(shown);
  out.previewed = preview();
  return out;
}

EffectDialogView EffectDialogLogic::angleEdited(const std::string& text) {
  EffectDialogView out = view(false);
  std::optional<double> value = parseDecimalBox(text);
  if (!value) {
    engine_.host.messageBox(kEnterNumber, kWindowTitle, MsgButtons::Ok, MsgIcon::Warning);
    return out;
  }
  directionTracked(*value);
  out.previewed = preview();
  return out;
}

EffectDialogView EffectDialogLogic::shapeAccepted(const EffectRecord& values) {
  for (int p = 5; p <= 10; ++p) record().param(p) = values.param(p);
  EffectDialogView out = view(false);
  out.previewed = preview();
  return out;
}

void EffectDialogLogic::accepted(const std::string& textureBoxText) {
  if (dialog_.type == kSingleColor) record().setTexture(textureBoxText);
}

}  // namespace vornel
