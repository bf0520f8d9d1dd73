// The Message page's logic: the Message layer's text, font and style, and the quick
// change of the colour or texture of its last Draw effect.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/log_font.h"

namespace vornel {

struct Engine;
struct VornelDocument;

struct MessagePageView {
  std::string text;
  std::string faceName;
  std::vector<std::string> styles;  // the ".sty" files of the program folder
  // The entry of styles that holds the layer's style, or "" when its style is none of
  // them (edited and saved elsewhere, emptied by "New", dropped from another folder).
  std::string styleEntry;
  bool changeColorEnabled = false;  // "Change Color or Texture"
};

// First creation: the style list, text and face name; the picture is marked stale.
MessagePageView messagePageCreated(Engine& engine);
// Activation: the layer's font becomes the current font; the controls mirror the layer.
MessagePageView messagePageActivated(Engine& engine);
// Leaving: the "Image" tab, rendered first when stale.
void messagePageLeft(Engine& engine);

// Every edit of the message box: the text (cut to 299 bytes) and the "Text" tab.
void messageTextChanged(Engine& engine, const std::string& text);
// A font chosen in the font dialog. Returns the face name to show.
std::string messageFontChosen(Engine& engine, const LogFont& font);
// A style picked from the list (with the unsaved-style question). Returns whether the
// choice went ahead; the view's "Change Color or Texture" state follows the new style.
bool messageStyleChosen(Engine& engine, const std::string& entry, MessagePageView& view);

// "Edit Style": the Message layer goes into the working set, runDialog runs the Edit
// Style dialog (returning whether it was closed with OK), and on OK the style comes back
// into the layer; confirmed or not, the job is rendered. Returns what the page shows
// then: the style list filled again and "Change Color or Texture" for the new style.
MessagePageView messageStyleEdited(Engine& engine, const std::function<bool()>& runDialog);

// What "Change Color or Texture" changes: the last Draw effect of the Message layer.
struct QuickFill {
  enum Kind { None, Color, Texture } kind = None;
  std::uint32_t color = 0;    // the effect's colour (0x00BBGGRR), for Color
  std::string textureFolder;  // the program folder's texture folder, for Texture
  std::string textureName;    // the Draw type's working texture name, for Texture
};
QuickFill quickFillFor(const VornelDocument& doc);
void quickColorChosen(Engine& engine, std::uint32_t color);
void quickTextureChosen(Engine& engine, const std::string& name);
// After the colour or texture dialog, confirmed or not: render and refresh.
void quickFillFinished(Engine& engine);

}  // namespace vornel
