// What each effect type's parameter dialog holds, in one table keyed by type: its
// caption, its groups and in each the controls with the parameter they write, slider
// ranges and pages, the box rules, and which preview it runs. The Qt dialog is built
// from this table and the rules of ui/logic/effect_dialog.h act on it.
#pragma once

#include <cstdint>
#include <vector>

namespace vornel {

enum class ControlKind {
  Slider,           // a slider with a numeric box beside it
  Color,            // a colour button with a swatch
  Radio,            // a radio button that stores `value` into the parameter
  List,             // a drop-down list whose item index is the parameter
  TextureName,      // "Bitmap": a button opening the texture picker, an editable name box
  DirectionPicker,  // the gradient's direction pane
  AngleBox,         // the decimal "Angle" box beside it
  ShapeButton,      // opens the "3D Shape" dialog for parameters 5 to 10
  TileTexture,      // "Texture": a button opening the picker, a disabled name box
  TilePicture,      // the Tile dialog's own picture of the result
  EmptyBox,         // a disabled box that stays empty
};

// How a slider's box reads and shows its number.
enum class BoxFormat {
  Integer,  // a whole number
  Digits,   // a whole number; the box takes digits only
  Decimal,  // a decimal number, truncated to the parameter
  Tenths,   // a decimal showing the parameter / 10; typing stores every such box x 10
};

// What typing in a slider's box does beyond storing and moving the slider.
enum class BoxRule {
  Store,                // store, move the slider, preview
  StoreWithoutPreview,  // store and move the slider only
  ShowOnly,             // the box only shows the slider; typing changes nothing
  BelowThirtyTwo,       // a value of 32 or more is stored (and shown) as 31
};

enum class PreviewKind {
  None,            // the controls change only the record
  Effect,          // renderEffectPreview of the working record
  TextOverEffect,  // the same, then the text raster drawn over it in white
  Star,            // the star sample of the Star Filtering dialog
  Tile,            // the saved canvas with the Tile record alone, on a texture choice
};

struct ControlSpec {
  ControlKind kind = ControlKind::Slider;
  // The label beside the control (or, for buttons, their caption). A '&' marks the
  // key that goes to it.
  const char* label = "";
  int param = 0;  // the 1-based parameter it writes; 0 for none
  int minimum = 0, maximum = 0, page = 1;
  bool vertical = false;  // a vertical slider, its smallest value at the top
  BoxFormat format = BoxFormat::Integer;
  BoxRule rule = BoxRule::Store;
  int value = 0;                        // Radio: the value it stores
  std::vector<const char*> items = {};  // List: the items, index 0 first
  const char* button = nullptr;         // Color: the button's caption when not the label
  bool hidden = false;                  // present but not shown
};

struct GroupSpec {
  const char* title = "";
  std::vector<ControlSpec> controls;
};

struct DialogSpec {
  std::int32_t type = 0;
  const char* caption = "";
  std::vector<GroupSpec> groups;
  PreviewKind preview = PreviewKind::Effect;
};

// The dialog of an effect type (0 to 12); nullptr for any other type.
const DialogSpec* effectDialogSpec(std::int32_t type);

// The dialog's sliders in table order, group by group: the order in which the slider
// and box rules see positions and box texts.
std::vector<const ControlSpec*> dialogSliders(const DialogSpec& dialog);

}  // namespace vornel
