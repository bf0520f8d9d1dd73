#include "core/style_file.h"

#include <cstring>

#include "imageio/file_bytes.h"

namespace vornel {

namespace {

// The effect line holds the offset (p3, p4) and sizes (p5, p6) before the colours
// (p1, p2), then p7 to p12.
constexpr int kParamOrderOnLine[12] = {3, 4, 5, 6, 1, 2, 7, 8, 9, 10, 11, 12};

void readBackgroundLine(const std::string& line, std::int32_t& mode, std::uint32_t& color,
                        std::string& bitmap) {
  FieldScanner scan(line);
  std::string word;
  std::int32_t value = 0;
  scan.word(word);
  if (scan.integer(value)) mode = value;
  // Colours are written as signed decimals of the 32-bit COLORREF.
  if (scan.integer(value)) color = static_cast<std::uint32_t>(value);
  if (scan.word(word)) bitmap = word;
}

EffectRecord readEffectLine(const std::string& line, int type) {
  EffectRecord r;
  r.type = type;
  FieldScanner scan(line);
  std::string word;
  scan.word(word);
  for (int n : kParamOrderOnLine) scan.integer(r.param(n));
  return r;
}

// The texture line less its line break and the blanks the writer put before it.
std::string textureOfLine(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

int effectTypeOfLine(const std::string& line) {
  for (int t = 0; t < kEffectTypeCount; ++t)
    if (startsWith(line, kEffectKeywords[t])) return t;
  return -1;
}

void readStyleFrom(TextReader& in, VornelDocument& doc) {
  clearWorkingStyle(doc);
  WorkingSet& ws = doc.ws;
  std::string line;
  while (in.readLine(line)) {
    if (startsWith(line, "Background")) {
      readBackgroundLine(line, ws.backgroundMode, ws.backgroundColor, ws.backgroundBitmap);
    } else if (startsWith(line, ";")) {
      continue;
    } else if (startsWith(line, "end")) {
      break;
    } else if (int type = effectTypeOfLine(line); type >= 0) {
      EffectRecord r = readEffectLine(line, type);
      std::string textureLine;
      if (in.readLine(textureLine)) r.setTexture(textureOfLine(textureLine));
      if (ws.effects.size() < kMaxEffects) ws.effects.push_back(r);
    }
  }
  ws.styleModified = false;
}

bool readStyle(const std::string& path, VornelDocument& doc, std::string* reason) {
  std::string text;
  if (!readTextFile(path, text, reason)) return false;
  TextReader in(text);
  readStyleFrom(in, doc);
  doc.ws.styleName = path;
  return true;
}

void writeStyleTo(std::string& out, VornelDocument& doc) {
  WorkingSet& ws = doc.ws;
  ws.styleModified = false;
  int count = 0;
  for (const EffectRecord& r : ws.effects)
    if (r.type >= 0 && r.type < kEffectTypeCount) ++count;
  out += ";Number of Effect : " + std::to_string(count) + "\r\n";
  out += "Background " + std::to_string(ws.backgroundMode) + " " +
         std::to_string(static_cast<std::int32_t>(ws.backgroundColor)) + " ";
  out += ws.backgroundBitmap;
  out += "\r\n";
  for (const EffectRecord& r : ws.effects) {
    // Only the reader and the style editor make records, both with a valid type; a
    // record without one could not be read back, so it is not written.
    if (r.type < 0 || r.type >= kEffectTypeCount) continue;
    out += kEffectKeywords[r.type];
    for (int n : kParamOrderOnLine) out += " " + std::to_string(r.param(n));
    out += "\r\n";
    std::string texture = r.texture();
    if (!texture.empty()) out += texture + " ";
    out += "\r\n";
  }
  out += "end\r\n";
}

bool writeStyle(const std::string& path, VornelDocument& doc, std::string* reason) {
  if (doc.drawScale != 1) {
    if (reason) *reason = scaledJobNotSaved(doc.drawScale);
    return false;
  }
  bool wasModified = doc.ws.styleModified;
  std::string text;
  writeStyleTo(text, doc);
  if (!writeFileAtomically(path, text, reason)) {
    doc.ws.styleModified = wasModified;
    return false;
  }
  doc.ws.styleName = path;
  return true;
}

void reportCannotSave(Host& host, const std::vector<std::string>& failures) {
  std::string text = kCannotSaveText;
  for (const std::string& failure : failures) text += "\n" + failure;
  host.messageBox(text, kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
}

void reportCannotOpen(Host& host, const std::string& failure) {
  host.messageBox("Cannot open file!\n" + failure, kErrorCaption, MsgButtons::Ok, MsgIcon::Error);
}

bool saveStyle(VornelDocument& doc, Host& host) {
  if (doc.ws.styleName.empty()) return saveStyleAs(doc, host);
  if (writeStyle(doc.ws.styleName, doc)) return true;
  reportCannotSave(host);
  return false;
}

bool saveStyleAs(VornelDocument& doc, Host& host) {
  FileDialogOptions options;
  options.filter = "Style File(*.sty)|*.sty|All Files(*.*)|*.*||";
  options.proposedName = doc.appDirectory + "untitled.sty";
  std::optional<std::string> chosen = host.saveFileDialog(options);
  if (!chosen) return false;
  std::string path = *chosen;
  // Only a point fourth from the end counts as an extension: "a.b" still gets ".sty".
  if (path.size() < 4 || path[path.size() - 4] != '.') path += ".sty";
  // An empty file holds no style that replacing it could lose.
  if (fileLength(path) > 0 &&
      host.messageBox(path + " \nThis file already exists. \nOverwrite this file?", kWarningCaption,
                      MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok)
    return false;
  if (writeStyle(path, doc)) return true;
  reportCannotSave(host);
  return false;
}

}  // namespace vornel
