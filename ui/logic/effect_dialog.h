// The effect dialogs' rules, without Qt: what each control does to its type's working
// record (engine.doc.effectDefaults[type]), which it edits directly and at once, and
// the preview each dialog runs. The dialogs themselves are described by the table of
// ui/logic/effect_dialog_table.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/effects/effect_record.h"
#include "ui/logic/effect_dialog_table.h"

namespace vornel {

struct Engine;

// The record "Add to Applied Effect" appends after the dialog of working.type closed with
// OK: for Draw, Outline, Drop Shadow and Depth of Field only the values the dialog shows
// (the others 0, the texture name for Draw only); for the other types the whole working
// record.
EffectRecord effectRecordForAdd(const EffectRecord& working);

// The messages a box that cannot be read gives.
inline constexpr const char* kEnterInteger = "Please enter an integer.";
inline constexpr const char* kEnterNumber = "Please enter a number.";

// What the dialog must show after an action. Boxes are rewritten only where a text is
// given, so a box being typed in keeps its text and its cursor.
struct EffectDialogView {
  std::vector<int> positions;                     // per slider, dialogSliders order
  std::vector<std::optional<std::string>> boxes;  // per slider
  std::optional<std::string> textureName;         // the name box (Draw, Tile)
  std::optional<std::string> angleText;           // the "Angle" box (Linear Gradient)
  bool colorEnabled = true;                       // Draw: "Color" with SingleColor
  bool bitmapEnabled = true;                      // Draw: "Bitmap" with the bitmap fills
  bool previewed = false;                         // a preview ran (and the pane was refreshed)
};

// One open dialog. It keeps what its preview needs between actions (the saved text
// raster of Disturbing Font and Round Box, the saved canvas of Tile) and frees it when
// it ends.
class EffectDialogLogic {
 public:
  // type must be 0 to 12. A custom preview, when given, runs instead of the type's own
  // (the Round Box dialog opened for a layer's box shows the whole job instead).
  EffectDialogLogic(Engine& engine, std::int32_t type, std::function<void()> customPreview = {});

  const DialogSpec& dialog() const { return dialog_; }
  const std::vector<const ControlSpec*>& sliders() const { return sliders_; }
  EffectRecord& record();
  const EffectRecord& record() const;

  // Opening: Draw's fill mode other than 4 or 5 becomes 2; 3D Single Color and Fog load
  // the shape profile from p5 to p10; the copies the preview needs are saved; sliders
  // and boxes are filled from the record; the preview runs once (not for Tile).
  EffectDialogView open();

  // Any slider moved: every slider's position goes into its parameter and box.
  EffectDialogView sliderMoved(const std::vector<int>& positions);

  // The text of slider index's box changed; texts holds every slider box's text. All
  // boxes are read first: one that cannot be read gives its message and nothing
  // changes. Otherwise the changed box's value is stored (a value outside the slider's
  // range is kept, the slider shows the nearest end) and the preview runs, as the box's
  // format and rule say.
  EffectDialogView boxEdited(int index, const std::vector<std::string>& texts);

  // A colour chosen for param (the colour dialog's OK).
  EffectDialogView colorChosen(int param, std::uint32_t color);
  // Draw's fill-mode radios.
  EffectDialogView radioChosen(int param, int value);
  // A drop-down list's item chosen.
  EffectDialogView listChosen(int param, int index);
  // A file chosen in the texture picker (Draw's "Bitmap", Tile's "Texture").
  EffectDialogView textureChosen(const std::string& name);
  // The folder and pattern the texture picker is opened on.
  std::string textureFolder() const;
  std::string texturePattern() const;

  // The gradient's direction. While the mouse is held on the pane the angle follows it
  // (p5 = the angle truncated) without a preview; the release previews and puts the
  // angle into the "Angle" box. Typing in the box sets both and previews.
  double angle() const { return angle_; }
  void directionTracked(double angle);
  EffectDialogView directionReleased(double angle);
  EffectDialogView angleEdited(const std::string& text);

  // The "3D Shape" dialog's OK: its values become p5 to p10, then the preview runs.
  EffectDialogView shapeAccepted(const EffectRecord& values);

  // OK: Draw takes whatever its name box holds as the texture name.
  void accepted(const std::string& textureBoxText);

 private:
  EffectDialogView view(bool rewriteBoxes) const;
  std::string boxText(const ControlSpec& slider) const;
  void storeSliderBox(int index, double value, EffectDialogView& out);
  bool preview();

  Engine& engine_;
  const DialogSpec& dialog_;
  std::vector<const ControlSpec*> sliders_;
  double angle_ = 0;
  std::vector<std::uint8_t> savedText_;
  std::vector<std::uint8_t> savedCanvas_;
  std::vector<std::int16_t> savedCoverage_;
  std::function<void()> customPreview_;
};

}  // namespace vornel
