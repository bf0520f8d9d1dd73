// The Edit Style dialog's logic: the style of the working set, edited in place (add,
// edit, move, delete, new, save) and re-rendered alone after each change; and the steps
// a page takes around the dialog for its layer.
//
// The effect dialogs are reached through a runner, so that the logic can be driven
// without windows: it runs the dialog of a type on that type's working record
// (doc.effectDefaults[type]) and returns whether it was closed with OK.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vornel {

struct Engine;
struct VornelDocument;

using EffectDialogRunner = std::function<bool(std::int32_t type)>;

// What the dialog shows after an action: the applied list and its selected row (-1 none).
struct StyleEditorView {
  std::vector<std::string> applied;  // display names of the working set's effects
  int selected = -1;
};

// The applied list for the working set, with selected as its selection (-1 when out of
// range).
StyleEditorView styleEditorView(const VornelDocument& doc, int selected);

// Opening: the canvas laid out for the working set, the "Image" tab shown, the output
// pictures re-created empty at the size shown, then the working set rendered alone.
StyleEditorView styleEditorOpened(Engine& engine);

// "Add to Applied Effect" (or a double click on a type) for type (-1: no type
// selected, nothing happens). A full style is refused with a message before any dialog
// opens. On OK the record built from the type's working record is appended and
// selected; on OK and Cancel the preview is rendered.
inline constexpr const char* kStyleFullText = "A style holds at most 40 effects.";
StyleEditorView styleEditorAdd(Engine& engine, std::int32_t type, const EffectDialogRunner& run,
                               int selected);

// Editing the applied effect at index (a double click on its row). The style counts as
// modified even when the dialog is cancelled. The dialog runs on the type's working
// record, loaded from the applied one; only OK copies it back. Then the preview.
StyleEditorView styleEditorEdit(Engine& engine, int index, const EffectDialogRunner& run);

// Moves the effect at from to position to (the others close up and make room), selects
// it and renders. A move onto itself or out of range changes and renders nothing.
StyleEditorView styleEditorMove(Engine& engine, int from, int to);
// "Go Up" and "Go Down" on the selected row; nothing on the first or last row.
StyleEditorView styleEditorGoUp(Engine& engine, int selected);
StyleEditorView styleEditorGoDown(Engine& engine, int selected);

// "Delete" (or the Delete key) on the selected row; the row that takes its place stays
// selected.
StyleEditorView styleEditorDelete(Engine& engine, int selected);

// "New": an edited style is offered for saving first ("Save change to ..."); Cancel, or
// a save that did not happen, keeps the style. Returns whether the style was emptied.
bool styleEditorNew(Engine& engine);

// "Save": to the working styleName, else as "Save As". "Save As": the file dialog, the
// name rules and the overwrite question of a style file. Both return whether the style
// was written; a failed write is shown as "Cannot save file!" and changes nothing.
bool styleEditorSave(Engine& engine);
bool styleEditorSaveAs(Engine& engine);

// A page's "Edit Style" for layer index. Before the dialog: on the Background and
// Bulletin pages the project background takes the working set's; the layer is loaded
// into the working set with its style name and its style's modified state.
void layerStyleEditingStarted(Engine& engine, int index);
// After the dialog: on OK the effects, the modified state and the style's name become
// the layer's (the project is modified); on OK and Cancel the job is rendered and the
// preview refreshed. The page then fills its style list again.
void layerStyleEditingEnded(Engine& engine, int index, bool ok);
// Both around runDialog, which runs the Edit Style dialog and returns whether it was
// closed with OK.
bool editLayerStyleWithEditor(Engine& engine, int index, const std::function<bool()>& runDialog);

}  // namespace vornel
