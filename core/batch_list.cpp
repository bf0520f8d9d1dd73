#include "core/batch_list.h"

#include <algorithm>

#include "core/style_file.h"
#include "imageio/file_bytes.h"

namespace vornel {

namespace {

std::string finishEntry(std::string entry) {
  if (!entry.empty() && entry.back() == '\n') entry.pop_back();
  return cutUtf8(entry, kMaxTextBytes);
}

bool writeListTo(VornelDocument& doc, Host& host, const BatchList& list, const std::string& path) {
  if (!writeBatchList(path, list)) {
    reportCannotSave(host);
    return false;
  }
  doc.batchListName = path;
  return true;
}

std::optional<std::string> askListName(Host& host) {
  FileDialogOptions options;
  options.filter = kBatchListFilter;
  options.askOverwrite = true;
  return host.saveFileDialog(options);
}

}  // namespace

void readBatchListFrom(TextReader& in, BatchList& list) {
  list.clear();
  std::string entry, line;
  while (in.readLine(line)) {
    if (startsWith(line, "<<br>>")) {
      list.push_back(finishEntry(std::move(entry)));
      entry.clear();
    } else if (startsWith(line, "<<end>>")) {
      break;
    } else if (entry.size() <= kMaxTextBytes + 8) {
      // Nothing past the entry's width survives; stop collecting well beyond it.
      entry += line;
    }
  }
}

bool readBatchList(const std::string& path, BatchList& list, std::string* reason) {
  std::string text;
  if (!readTextFile(path, text, reason)) return false;
  TextReader in(text);
  readBatchListFrom(in, list);
  return true;
}

std::string batchListText(const BatchList& list) {
  std::string out;
  for (const std::string& entry : list) {
    appendCrLf(out, entry);
    out += "\r\n<<br>>\r\n";
  }
  out += "<<end>>\r\n";
  return out;
}

bool writeBatchList(const std::string& path, const BatchList& list, std::string* reason) {
  return writeFileAtomically(path, batchListText(list), reason);
}

void addBatchEntry(BatchList& list, const std::string& text) {
  list.push_back(cutUtf8(text, kMaxTextBytes));
}

void deleteBatchEntries(BatchList& list, const std::vector<int>& selected) {
  // From the last to the first, so removing one does not move the others.
  for (int i = static_cast<int>(list.size()) - 1; i >= 0; --i)
    if (std::find(selected.begin(), selected.end(), i) != selected.end())
      list.erase(list.begin() + i);
}

bool newBatchList(VornelDocument& doc, Host& host, BatchList& list) {
  MsgAnswer answer = host.messageBox("Save changes to " + doc.batchListName + "?", kWarningCaption,
                                     MsgButtons::YesNoCancel, MsgIcon::Warning);
  if (answer == MsgAnswer::Cancel) return false;
  if (answer == MsgAnswer::Yes && !writeListTo(doc, host, list, doc.batchListName)) return false;
  doc.batchListName = kUntitledBatchList;
  list.clear();
  return true;
}

bool loadBatchList(VornelDocument& doc, Host& host, BatchList& list) {
  FileDialogOptions options;
  options.filter = kBatchListFilter;
  std::optional<std::string> chosen = host.openFileDialog(options);
  if (!chosen) return false;
  doc.batchListName = *chosen;
  return readBatchList(*chosen, list);
}

bool saveBatchList(VornelDocument& doc, Host& host, const BatchList& list) {
  std::string path = doc.batchListName;
  if (path == kUntitledBatchList) {
    std::optional<std::string> chosen = askListName(host);
    if (!chosen) return false;
    path = withExtension(*chosen, ".blt");
  }
  return writeListTo(doc, host, list, path);
}

bool saveBatchListAs(VornelDocument& doc, Host& host, const BatchList& list) {
  std::optional<std::string> chosen = askListName(host);
  if (!chosen) return false;
  return writeListTo(doc, host, list, *chosen);
}

void useBatchEntry(VornelDocument& doc, const std::string& entry) {
  std::string text = cutUtf8(entry, kMaxTextBytes);
  if (doc.layers.size() > kMessageLayer) doc.layer(kMessageLayer).text = text;
  doc.ws.message = text;
}

}  // namespace vornel
