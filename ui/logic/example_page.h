// The Examples page's logic: the example projects of the program folder, and opening
// one of them.
#pragma once

#include <string>
#include <vector>

namespace vornel {

struct Engine;

// The ".vrn" files of the program folder, sorted.
std::vector<std::string> exampleList(const Engine& engine);

// Opens the example (the unsaved-project question first; fonts drawn for a larger
// screen scaled down to a Message of 30 pixels), renders it and shows the "Image" tab.
// An example that cannot be read is told, and the job as it was is rendered again.
// Returns false when the user abandoned the choice.
bool exampleChosen(Engine& engine, const std::string& entry);

}  // namespace vornel
