#include "core/style_choice.h"

#include "core/job_edits.h"
#include "core/style_file.h"

namespace vornel {

bool assignStyleToLayer(VornelDocument& doc, int index, const std::string& path,
                        std::string* reason) {
  if (index < 0 || index >= static_cast<int>(doc.layers.size())) return false;
  if (!readStyle(path, doc, reason)) return false;
  LayerRecord& layer = doc.layer(index);
  layer.styleName = path;
  layer.effects = doc.ws.effects;
  return true;
}

StyleChoice chooseLayerStyle(VornelDocument& doc, Host& host, int index, const std::string& entry) {
  return chooseLayerStyleFile(doc, host, index, doc.appDirectory + entry);
}

StyleChoice chooseLayerStyleFile(VornelDocument& doc, Host& host, int index,
                                 const std::string& path) {
  if (index < 0 || index >= static_cast<int>(doc.layers.size())) return StyleChoice::Abandoned;
  bool& modified = layerStyleModified(doc, index);
  std::string& name = layerStyleName(doc, index);
  if (modified) {
    std::string shown = name.empty() ? "Untitled.sty" : name;
    MsgAnswer answer = host.messageBox("Save change to " + shown, kWarningCaption,
                                       MsgButtons::YesNoCancel, MsgIcon::Warning);
    if (answer == MsgAnswer::Cancel) return StyleChoice::Abandoned;
    if (answer == MsgAnswer::Yes) {
      doc.ws.styleName = name;
      // Renders leave another layer's effects in the working set; save this layer's.
      doc.ws.effects = doc.layer(index).effects;
      // The edits would be lost with the new style; keep them when saving failed.
      if (!saveStyle(doc, host)) return StyleChoice::Abandoned;
    }
  }
  return editLayerStyle(doc, index, path) ? StyleChoice::Assigned : StyleChoice::Unreadable;
}

void applyStyleBackground(VornelDocument& doc, int index) {
  if (index == kTemplateLayer) {
    doc.projectBackgroundMode = doc.ws.backgroundMode;
    doc.projectBackgroundColor = doc.ws.backgroundColor;
    doc.projectBackgroundBitmap = doc.ws.backgroundBitmap;
  } else if (index == kMessageLayer && doc.layer(kTemplateLayer).kind == kLayerNone &&
             doc.layer(kBulletinLayer).kind == kLayerNone) {
    // With nothing behind the message its style's whole background line is the picture's,
    // its transparency included.
    doc.projectBackgroundColor = doc.ws.backgroundColor;
    doc.projectBackgroundMode = doc.ws.backgroundMode;
  }
}

}  // namespace vornel
