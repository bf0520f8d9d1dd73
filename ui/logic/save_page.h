// The Save page's logic: the file type, the size estimate and Save Image. The page's
// file name and the size it shows live in SavePageState, which the window keeps for
// the life of the program.
#pragma once

#include <cstdint>
#include <string>

namespace vornel {

struct Engine;

struct SavePageState {
  bool created = false;
  std::string fileName;  // the name last chosen in the Save Image dialog
  std::string sizeText;  // the "Size" box
};

struct SavePageView {
  std::int32_t checkedType = 0;  // 2 to 6: the radio to check
  std::string sizeText;
};

// The filter of the Save Image dialog for a type ("Jpeg file(*.JPG)|*.JPG", ...).
const char* saveImageFilter(std::int32_t type);

// Activation; the first one also runs the current type's radio (types 3 to 6), so the
// size is known at once.
SavePageView savePageActivated(Engine& engine, SavePageState& state);
// A type radio: prepare the output, redraw the "Image" pane, estimate the size, and give
// the file name the type's extension (the 256-colour radio leaves the name as it is).
SavePageView saveTypeChosen(Engine& engine, SavePageState& state, std::int32_t type);
// "Calculate": prepare the output for the current type and estimate its size.
SavePageView sizeCalculated(Engine& engine, SavePageState& state);
// "Save Image": the save dialog with the type's filter, then the image and its pressed
// twin written. A failed write is told ("Cannot save file!" with the names and reasons).
// Returns whether every file was written.
bool saveImageClicked(Engine& engine, SavePageState& state);

}  // namespace vornel
