// The Batch page's logic: the message box, the batch list and its commands, the file
// type, and "Save Images". The list lives in BatchPageState, kept by the window for the
// life of the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/batch_list.h"

namespace vornel {

struct Engine;

struct BatchPageState {
  BatchList list;
};

struct BatchPageView {
  std::string messageText;
  std::int32_t checkedType = 0;
  std::vector<std::string> entries;
};

// Activation: the Message layer's text, its font as the current font, and the current
// type's radio.
BatchPageView batchPageActivated(Engine& engine, BatchPageState& state);
// Leaving: rendered first when stale, then the "Image" tab.
void batchPageLeft(Engine& engine);

// Every edit of the message box: the Message layer's text and the "Text" tab.
void batchTextChanged(Engine& engine, const std::string& text);
// A type radio: the type and the output prepared for it, the "Image" pane redrawn; no
// size estimate.
void batchTypeChosen(Engine& engine, std::int32_t type);

// "Add to Batch List": the text appended (cut to the message width). The page then
// empties its box and gives it the focus.
void batchAdd(BatchPageState& state, const std::string& text);
// "Delete": the selected entries removed.
void batchDelete(BatchPageState& state, const std::vector<int>& selected);
// "New", "Load", "Save" and the menu's "Save As Batch Text List".
void batchNew(Engine& engine, BatchPageState& state);
void batchLoad(Engine& engine, BatchPageState& state);
void batchSave(Engine& engine, BatchPageState& state);
void batchSaveAs(Engine& engine, BatchPageState& state);
// A double click on entry index: it becomes the message, the job is rendered. Returns
// the text for the message box.
std::string batchEntryActivated(Engine& engine, BatchPageState& state, int index);
// "Save Images": the batch run. Failed writes are told; returns whether every image
// was written (false also when cancelled).
bool batchSaveImages(Engine& engine, BatchPageState& state);

}  // namespace vornel
