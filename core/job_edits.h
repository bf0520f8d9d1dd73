// The changes the window's pages and the command line make to the job, one function
// each, so that both front ends change the job one way and set the same flags:
// projectModified for everything a project file keeps, outputStale where only the text
// preview is refreshed, the working set where the previews read from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"

namespace vornel {

// Message text typed on the Message or Batch page (cut to 299 bytes on a character
// boundary): the Message layer's text and the working message. The composed picture
// is stale until the next render.
void editMessageText(VornelDocument& doc, const std::string& text);

// A font chosen for the Message: the layer's font and the current (working) font.
void editMessageFont(VornelDocument& doc, const LogFont& font);

// The text of a Template or Bulletin layer.
void editLayerText(VornelDocument& doc, int index, const std::string& text);

// A font chosen for a Template or Bulletin layer. For the Template the width is also
// remembered as the width its "with Font" kind uses.
void editLayerFont(VornelDocument& doc, int index, const LogFont& font);

// The kind of the Template (None, Font, StretchedFont, RoundBox) or the Bulletin (None,
// Font, RoundBox). For the Template, "with Font" brings back the width last stored for
// it and "Streached Font" the width the last layout computed. Returns false, changing
// nothing, for a kind the layer cannot have.
bool editLayerKind(VornelDocument& doc, int index, std::int32_t kind);

// The background colour (0x00BBGGRR) of the working set and the project.
void editBackgroundColor(VornelDocument& doc, std::uint32_t color);

// "GIF Transparent": background mode 1 when on, 2 when off, in the working set and the
// project (the project file keeps the project's, so both must change together).
void editBackgroundTransparent(VornelDocument& doc, bool transparent);

// "Create Button Bitmap" (not kept in project files).
void editPressedImage(VornelDocument& doc, bool pressed);

// The margin in pixels added on every side of the Message's canvas (negative: none).
void editMessagePad(VornelDocument& doc, std::int32_t pad);

// The round-box factors (per mille) of the Template or the Bulletin.
void editRoundBoxFactors(VornelDocument& doc, int index, const RoundBoxFactors& factors);

// The style file at path given to layer index without any question (the command line,
// and the pages after their question): the layer's effects and style name, the
// background rule of a style just read, the layer's style no longer edited. Returns
// false, changing nothing, when the file cannot be read.
bool editLayerStyle(VornelDocument& doc, int index, const std::string& path,
                    std::string* reason = nullptr);

// Effects made in place rather than read from a style file (the command line's plain
// fill for a message given no style): the layer's effects, its style name cleared.
void editLayerEffects(VornelDocument& doc, int index, const std::vector<EffectRecord>& effects);

// The Edit Style dialog confirmed for layer index: the working set's effects become the
// layer's and its styleModified flag the layer's.
void takeWorkingStyleIntoLayer(VornelDocument& doc, int index);

// The output file type of the Save and Batch pages. Returns false for an unknown type.
bool editOutputFileType(VornelDocument& doc, std::int32_t type);

}  // namespace vornel
