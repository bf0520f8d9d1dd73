#include "ui/logic/batch_page.h"

#include "core/job_edits.h"
#include "core/output/batch_generate.h"
#include "core/output/save_output.h"
#include "core/style_file.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace vornel {

BatchPageView batchPageActivated(Engine& engine, BatchPageState& state) {
  VornelDocument& doc = engine.doc;
  BatchPageView view;
  // First creation shows the working message, but the activation that follows at once
  // shows the layer's text.
  view.messageText = doc.layer(kMessageLayer).text;
  doc.ws.font = doc.layer(kMessageLayer).font;
  view.checkedType = doc.outputFileType;
  view.entries = state.list;
  return view;
}

void batchPageLeft(Engine& engine) {
  if (engine.doc.outputStale) {
    renderJob(engine);
    engine.host.refreshPreview();
  }
  engine.host.showPreviewTab(1);
}

void batchTextChanged(Engine& engine, const std::string& text) {
  editMessageText(engine.doc, text);
  engine.host.showPreviewTab(0);
}

void batchTypeChosen(Engine& engine, std::int32_t type) {
  if (!editOutputFileType(engine.doc, type)) return;
  prepareOutput(engine, type);
  engine.host.refreshPreview();
}

void batchAdd(BatchPageState& state, const std::string& text) {
  addBatchEntry(state.list, text);
}

void batchDelete(BatchPageState& state, const std::vector<int>& selected) {
  deleteBatchEntries(state.list, selected);
}

void batchNew(Engine& engine, BatchPageState& state) {
  newBatchList(engine.doc, engine.host, state.list);
}

void batchLoad(Engine& engine, BatchPageState& state) {
  loadBatchList(engine.doc, engine.host, state.list);
}

void batchSave(Engine& engine, BatchPageState& state) {
  saveBatchList(engine.doc, engine.host, state.list);
}

void batchSaveAs(Engine& engine, BatchPageState& state) {
  saveBatchListAs(engine.doc, engine.host, state.list);
}

std::string batchEntryActivated(Engine& engine, BatchPageState& state, int index) {
  if (index < 0 || index >= static_cast<int>(state.list.size()))
    return engine.doc.layer(kMessageLayer).text;
  useBatchEntry(engine.doc, state.list[static_cast<std::size_t>(index)]);
  engine.doc.projectModified = true;
  renderJob(engine);
  engine.host.refreshPreview();
  return engine.doc.layer(kMessageLayer).text;
}

bool batchSaveImages(Engine& engine, BatchPageState& state) {
  BatchResult result = generateBatch(engine, state.list);
  if (result.cancelled) return false;
  if (result.ok()) return true;
  reportCannotSave(engine.host, result.failures);
  return false;
}

}  // namespace vornel
