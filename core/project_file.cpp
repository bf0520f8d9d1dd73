#include "core/project_file.h"

#include <cstdlib>

#include "core/style_file.h"
#include "imageio/file_bytes.h"

namespace vornel {

namespace {

constexpr const char* kProjectFilter = "Vornel File(*.vrn)|*.vrn|All Files(*.*)|*.*||";

void readIntegers(const std::string& line, std::int32_t* fields, int count) {
  FieldScanner scan(line);
  std::string word;
  scan.word(word);
  for (int i = 0; i < count; ++i) scan.integer(fields[i]);
}

void readFontLine(const std::string& line, LogFont& font) {
  font = LogFont{};
  FieldScanner scan(line);
  std::string word;
  scan.word(word);
  scan.integer(font.lfHeight);
  scan.integer(font.lfWidth);
  scan.integer(font.lfWeight);
  scan.byteValue(font.lfItalic);
  scan.byteValue(font.lfCharSet);
  scan.byteValue(font.lfOutPrecision);
  scan.byteValue(font.lfQuality);
  scan.byteValue(font.lfPitchAndFamily);
}

// The text between "message" and "<br>": every line with its line break, less the break
// that precedes the marker.
std::string readMessageText(TextReader& in) {
  std::string text, line;
  while (in.readLine(line) && !startsWith(line, "<br>")) {
    // Nothing past the field's width can survive; stop collecting well beyond it.
    if (text.size() <= kMaxTextBytes + 8) text += line;
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return cutUtf8(text, kMaxTextBytes);
}

void readLayerHeader(TextReader& in, VornelDocument& doc, LayerRecord& layer) {
  std::string line;
  while (in.readLine(line)) {
    if (startsWith(line, "Background")) {
      FieldScanner scan(line);
      std::string word;
      std::int32_t value = 0;
      scan.word(word);
      if (scan.integer(value)) doc.projectBackgroundMode = value;
      if (scan.integer(value)) doc.projectBackgroundColor = static_cast<std::uint32_t>(value);
      if (scan.word(word)) doc.projectBackgroundBitmap = word;
    } else if (startsWith(line, "type")) {
      readIntegers(line, &layer.kind, 1);
    } else if (startsWith(line, "param")) {
      readIntegers(line, layer.box, 6);
    } else if (startsWith(line, "font")) {
      readFontLine(line, layer.font);
      std::string face;
      if (in.readLine(face)) {
        // Only a line break is dropped: the last line of a file may have none.
        if (!face.empty() && face.back() == '\n') face.pop_back();
        layer.font.setFaceName(face);
      }
    } else if (startsWith(line, "fmoreinfo")) {
      std::int32_t widths[2] = {layer.fontWidth, layer.stretchedFontWidth};
      readIntegers(line, widths, 2);
      layer.fontWidth = widths[0];
      layer.stretchedFontWidth = widths[1];
    } else if (startsWith(line, "message")) {
      layer.text = readMessageText(in);
    } else if (startsWith(line, ";")) {
      continue;
    } else if (startsWith(line, "end")) {
      return;
    }
  }
}

void readLayerBlock(TextReader& in, VornelDocument& doc, int index) {
  doc.ws.styleModified = false;
  LayerRecord& layer = doc.layer(index);
  readLayerHeader(in, doc, layer);
  readStyleFrom(in, doc);
  layer.styleName.clear();
  layer.effects = doc.ws.effects;
}

void writeLayerBlock(std::string& out, VornelDocument& doc, int index) {
  doc.ws.styleModified = false;
  const LayerRecord& layer = doc.layer(index);
  const RoundBoxFactors& f = doc.templateFactors;
  const LogFont& font = layer.font;
  auto num = [](std::int64_t v) { return std::to_string(v); };
  out += ";save draw vornel list\r\n";
  out += "type " + num(layer.kind) + "\r\n";
  out += "message\r\n";
  appendCrLf(out, layer.text);
  out += "\r\n<br>\r\n";
  out += "param " + num(f.width) + " " + num(f.height) + " " + num(f.cornerWidth) + " " +
         num(f.cornerHeight) + " " + num(layer.box[4]) + " " + num(layer.box[5]) + "\r\n";
  out += "font " + num(font.lfHeight) + " " + num(font.lfWidth) + " " + num(font.lfWeight) + " " +
         num(font.lfItalic) + " " + num(font.lfCharSet) + " " + num(font.lfOutPrecision) + " " +
         num(font.lfQuality) + " " + num(font.lfPitchAndFamily) + "\r\n";
  out += font.faceName() + "\r\n";
  out += "fmoreinfo " + num(layer.fontWidth) + " " + num(layer.stretchedFontWidth) + "\r\n";
  out += "Background " + num(doc.projectBackgroundMode) + " " +
         num(static_cast<std::int32_t>(doc.projectBackgroundColor)) + " " +
         doc.projectBackgroundBitmap + "\r\n";
  out += "end\r\n";
  doc.ws.effects = layer.effects;
  writeStyleTo(out, doc);
}

void ensureThreeLayers(VornelDocument& doc) {
  while (doc.layers.size() < 3) doc.layers.emplace_back();
}

}  // namespace

std::string projectFileName(const std::string& path) {
  return withExtension(path, ".vrn");
}

void readProjectFrom(TextReader& in, VornelDocument& doc) {
  ensureThreeLayers(doc);
  for (int i = 0; i < 3; ++i) readLayerBlock(in, doc, i);
  const LayerRecord& tmpl = doc.layer(kTemplateLayer);
  doc.templateFactors = {tmpl.box[0], tmpl.box[1], tmpl.box[2], tmpl.box[3]};
  doc.ws.backgroundMode = doc.projectBackgroundMode;
  doc.ws.backgroundColor = doc.projectBackgroundColor;
  doc.ws.backgroundBitmap = doc.projectBackgroundBitmap;
  doc.projectModified = false;
  doc.outputStale = false;
  doc.templateStyleModified = doc.bulletinStyleModified = doc.messageStyleModified = true;
}

int readProject(VornelDocument& doc, const std::string& path, std::string* reason) {
  std::string text;
  if (!readTextFile(path, text, reason)) return -1;
  TextReader in(text);
  readProjectFrom(in, doc);
  doc.projectName = path;
  return 0;
}

void writeProjectTo(std::string& out, VornelDocument& doc) {
  ensureThreeLayers(doc);
  for (int i = 0; i < 3; ++i) writeLayerBlock(out, doc, i);
}

int writeProject(VornelDocument& doc, const std::string& path, std::string* reason) {
  if (doc.drawScale != 1) {
    if (reason) *reason = scaledJobNotSaved(doc.drawScale);
    return -1;
  }
  std::string name = projectFileName(path);
  WorkingSet before = doc.ws;
  std::string text;
  writeProjectTo(text, doc);
  if (!writeFileAtomically(name, text, reason)) {
    doc.ws = before;
    return -1;
  }
  doc.projectName = name;
  doc.projectModified = false;
  doc.outputStale = false;
  return 0;
}

void scaleExampleFonts(VornelDocument& doc) {
  if (doc.layers.size() < 3) return;
  std::int64_t height = std::abs(std::int64_t{doc.layer(kMessageLayer).font.lfHeight});
  if (height <= 30) return;
  for (int i = 0; i < 3; ++i) {
    LogFont& font = doc.layer(i).font;
    // 30 / |height| applied in integers truncates toward zero like the float product.
    font.lfHeight = static_cast<std::int32_t>(std::int64_t{font.lfHeight} * 30 / height);
    font.lfWidth = static_cast<std::int32_t>(std::int64_t{font.lfWidth} * 30 / height);
  }
}

bool saveProject(VornelDocument& doc, Host& host) {
  if (doc.projectName.empty()) return saveProjectAs(doc, host);
  if (writeProject(doc, doc.projectName) == 0) return true;
  reportCannotSave(host);
  return false;
}

bool saveProjectAs(VornelDocument& doc, Host& host) {
  FileDialogOptions options;
  options.filter = kProjectFilter;
  options.proposedName = "Untitled.vrn";
  options.askOverwrite = true;
  std::optional<std::string> chosen = host.saveFileDialog(options);
  if (!chosen) return false;
  if (writeProject(doc, *chosen) == 0) return true;
  reportCannotSave(host);
  return false;
}

bool askSaveProjectChanges(VornelDocument& doc, Host& host) {
  if (doc.projectModified) {
    std::string shown = doc.projectName.empty() ? "Untitled.vrn" : doc.projectName;
    MsgAnswer answer = host.messageBox("Save change to " + shown, kWarningCaption,
                                       MsgButtons::YesNoCancel, MsgIcon::Warning);
    if (answer == MsgAnswer::Cancel) return false;
    if (answer == MsgAnswer::Yes && !saveProject(doc, host)) return false;
  }
  doc.projectModified = false;
  return true;
}

namespace {

OpenProjectResult readProjectReporting(VornelDocument& doc, const std::string& path,
                                       std::string* failure) {
  std::string reason;
  if (readProject(doc, path, &reason) == 0) return OpenProjectResult::Read;
  if (failure) *failure = path + ": " + reason;
  return OpenProjectResult::Failed;
}

}  // namespace

OpenProjectResult openProject(VornelDocument& doc, Host& host, std::string* failure) {
  if (!askSaveProjectChanges(doc, host)) return OpenProjectResult::Cancelled;
  FileDialogOptions options;
  options.filter = kProjectFilter;
  std::optional<std::string> chosen = host.openFileDialog(options);
  if (!chosen) return OpenProjectResult::Cancelled;
  BusyCursor busy(host);
  return readProjectReporting(doc, *chosen, failure);
}

OpenProjectResult openProjectFile(VornelDocument& doc, Host& host, const std::string& path,
                                  std::string* failure) {
  if (!askSaveProjectChanges(doc, host)) return OpenProjectResult::Cancelled;
  BusyCursor busy(host);
  return readProjectReporting(doc, path, failure);
}

OpenProjectResult openExampleProject(VornelDocument& doc, Host& host, const std::string& entry,
                                     std::string* failure) {
  if (!askSaveProjectChanges(doc, host)) return OpenProjectResult::Cancelled;
  OpenProjectResult result = readProjectReporting(doc, doc.appDirectory + entry, failure);
  if (result == OpenProjectResult::Read) scaleExampleFonts(doc);
  return result;
}

}  // namespace vornel
