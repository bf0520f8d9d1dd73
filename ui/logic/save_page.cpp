#include "ui/logic/save_page.h"

#include "core/job_edits.h"
#include "core/output/save_output.h"
#include "core/style_file.h"
#include "render/engine.h"

namespace vornel {

namespace {

SavePageView viewOf(const Engine& engine, const SavePageState& state) {
  return {engine.doc.outputFileType, state.sizeText};
}

void estimate(Engine& engine, SavePageState& state) {
  state.sizeText = std::to_string(estimateFileSize(engine));
}

}  // namespace

const char* saveImageFilter(std::int32_t type) {
  switch (type) {
    case kOutputGif16:
      return "16 color Gif file(*.GIF)|*.GIF";
    case kOutputGif256:
      return "256 color Gif file(*.GIF)|*.GIF";
    case kOutputJpeg:
      return "Jpeg file(*.JPG)|*.JPG";
    case kOutputBmp:
      return "Windows Bitmap(*.BMP)|*.BMP";
    case kOutputPng:
      return "PNG image(*.PNG)|*.PNG";
    default:
      return "";
  }
}

SavePageView savePageActivated(Engine& engine, SavePageState& state) {
  if (!state.created) {
    state.created = true;
    const std::int32_t type = engine.doc.outputFileType;
    if (type == kOutputGif256 || type == kOutputJpeg || type == kOutputBmp || type == kOutputPng)
      return saveTypeChosen(engine, state, type);
  }
  return viewOf(engine, state);
}

SavePageView saveTypeChosen(Engine& engine, SavePageState& state, std::int32_t type) {
  if (!editOutputFileType(engine.doc, type)) return viewOf(engine, state);
  prepareOutput(engine, type);
  engine.host.refreshPreview();
  estimate(engine, state);
  if (!state.fileName.empty() && type != kOutputGif256)
    state.fileName = setExtension(state.fileName, outputExtension(type));
  return viewOf(engine, state);
}

SavePageView sizeCalculated(Engine& engine, SavePageState& state) {
  prepareOutput(engine, engine.doc.outputFileType);
  estimate(engine, state);
  return viewOf(engine, state);
}

bool saveImageClicked(Engine& engine, SavePageState& state) {
  const std::int32_t type = engine.doc.outputFileType;
  FileDialogOptions options;
  options.filter = saveImageFilter(type);
  options.proposedName = state.fileName;
  options.askOverwrite = true;
  // The name is completed before the dialog's overwrite question, so that the question
  // is asked about the file that will really be written.
  options.defaultSuffix = std::string(outputExtension(type)).substr(1);
  std::optional<std::string> chosen = engine.host.saveFileDialog(options);
  if (!chosen) return false;
  state.fileName = *chosen;
  SaveResult result = saveOutput(engine, state.fileName);
  if (result.ok()) return true;
  reportCannotSave(engine.host, result.failures);
  return false;
}

}  // namespace vornel
