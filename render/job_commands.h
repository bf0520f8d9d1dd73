// Commands that change the whole job and then render it: New project and giving a
// layer a style from a page's list. Questions go through the engine's host.
#pragma once

#include <string>

namespace vornel {

struct Engine;

// New project: when the project was modified asks "Save change to ..." (Yes saves it
// first, Cancel abandons); then resets the background to white, the Message font's
// face, height and width to Arial 20 x 10 (its other fields stay), the working style
// and the layers, renders the job and shows the text preview. Returns false when
// abandoned.
bool newProject(Engine& engine);

// Picks list entry `entry` (relative to the program folder) as the style of layer index
// (0 Template, 1 Bulletin, 2 Message) with the questions and background rule of the
// pages, then renders the job (also when the file could not be read: the picture then
// shows the layer as it was). Returns false when abandoned.
bool chooseStyleForLayer(Engine& engine, int index, const std::string& entry);

}  // namespace vornel
