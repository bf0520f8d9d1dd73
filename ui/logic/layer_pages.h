// The logic of the Background page (the Template layer, the background colour, the GIF
// transparency and the pressed image) and of the Bulletin page (the Bulletin layer),
// and of the small "Message" dialog their "Properties" opens for a text layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"
#include "core/style_choice.h"
#include "platform/log_font.h"

namespace vornel {

struct Engine;

struct LayerPageView {
  std::int32_t kind = 2;              // the radio to check (LayerKind)
  bool layerControlsEnabled = false;  // style list, "Properties", "Edit Style"
  std::vector<std::string> styles;
  // The Background page only.
  std::uint32_t swatchColor = 0xFFFFFF;  // 0x00BBGGRR
  bool transparent = true;               // "GIF Transparent"
  bool pressed = false;                  // "Create Button Bitmap"
};

// Activation of the page of layer index (kTemplateLayer: the Background page,
// kBulletinLayer: the Bulletin page).
LayerPageView layerPageActivated(Engine& engine, int index);

// A kind radio: the kind (the Template's font width as its kind uses it), a render.
// Returns whether the layer's controls are enabled.
bool layerKindChosen(Engine& engine, int index, std::int32_t kind);
// "Color", "GIF Transparent" and "Create Button Bitmap" of the Background page. Setting
// the pressed image renders; clearing it does not.
void backgroundColorChosen(Engine& engine, std::uint32_t color);
void transparencyChosen(Engine& engine, bool transparent);
void pressedImageChosen(Engine& engine, bool pressed);
// A style from the page's list (with the unsaved-style question), then a render. On the
// Background page the swatch then shows the project background: the new colour is
// returned in view.
StyleChoice layerStyleChosen(Engine& engine, int index, const std::string& entry,
                             LayerPageView& view);

// "Properties": what it opens for the layer's kind. Before the dialog, the layer's text
// and font become the working message and current font (a text kind), or its round-box
// factors parameters 5 to 8 of the Round Box working record (a box).
enum class LayerProperties { None, Text, RoundBox };
struct LayerPropertiesSession {
  LayerProperties opened = LayerProperties::None;
  RoundBoxFactors before;  // the layer's factors when the Round Box dialog opened
};
LayerPropertiesSession layerPropertiesOpened(Engine& engine, int index);
// The Round Box dialog's preview for a layer's box: the whole job rendered with the
// factors the dialog shows, so that the box is seen where it will be.
void layerBoxPreviewed(Engine& engine, int index);
// After the dialog: on OK the text and font, or the four factors, become the layer's
// (Cancel puts back the factors the preview tried); then the job is rendered and the
// "Image" tab shown.
void layerPropertiesClosed(Engine& engine, int index, const LayerPropertiesSession& session,
                           bool ok);

// The "Message" dialog: every change of its text and its "Font" show the "Text" tab.
std::string messageDialogOpened(Engine& engine);
void messageDialogTextChanged(Engine& engine, const std::string& text);
void messageDialogFontChosen(Engine& engine, const LogFont& font);

}  // namespace vornel
