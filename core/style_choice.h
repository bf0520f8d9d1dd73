// Giving a layer a style from a style file.
#pragma once

#include <string>

#include "core/job.h"
#include "platform/host.h"

namespace vornel {

// Reads the style file into the working set, then makes path the layer's styleName and
// copies the working set's effects into the layer. When the file cannot be read the
// layer is left as it was (the working set may hold another layer's effects, which must
// not end up in this one) and false is returned.
bool assignStyleToLayer(VornelDocument& doc, int index, const std::string& path,
                        std::string* reason = nullptr);

// Picking a style from a page's list for layer index (0 Template, 1 Bulletin,
// 2 Message): when the layer's style was edited and not saved, asks "Save change to
// ..." (Yes saves, Cancel abandons); then gives appDirectory + entry to the layer
// (editLayerStyle). A file that cannot be read leaves the layer as it was; unless the
// choice was abandoned the caller renders the job.
enum class StyleChoice { Abandoned, Assigned, Unreadable };
StyleChoice chooseLayerStyle(VornelDocument& doc, Host& host, int index, const std::string& entry);
// The same for a style file anywhere (a file dropped on the window).
StyleChoice chooseLayerStyleFile(VornelDocument& doc, Host& host, int index,
                                 const std::string& path);

// The background rule of a style just read for layer index: a Template style brings
// its whole background line into the project; a Message style brings its colour and
// mode when neither Template nor Bulletin is drawn.
void applyStyleBackground(VornelDocument& doc, int index);

}  // namespace vornel
