// The batch list: messages rendered one after another into numbered images. This file
// holds its text file (".blt": each entry followed by a "<<br>>" line, then "<<end>>")
// and the list commands of the Batch page and the main menu. The list itself belongs to
// whoever shows it; the commands take it as a plain vector of entries.
//
// Bad input reads to a defined result: text after the last "<<br>>" is dropped, a file
// without "<<end>>" is read to its end, and entries are cut to 299 bytes on a character
// boundary.
#pragma once

#include <string>
#include <vector>

#include "core/job.h"
#include "core/text_reader.h"
#include "platform/host.h"

namespace vornel {

using BatchList = std::vector<std::string>;

inline constexpr const char* kUntitledBatchList = "untitled.blt";
inline constexpr const char* kBatchListFilter = "Text List file(*.BLT)|*.BLT|All Files(*.*)|*.*||";

// Replaces the list with the entries read.
void readBatchListFrom(TextReader& in, BatchList& list);
// When the file cannot be read the list is left as it was and false is returned.
bool readBatchList(const std::string& path, BatchList& list, std::string* reason = nullptr);

std::string batchListText(const BatchList& list);
// A failed write leaves any old file as it was and returns false.
bool writeBatchList(const std::string& path, const BatchList& list, std::string* reason = nullptr);

// Add to Batch List: appends text (cut to the message width) as a new entry.
void addBatchEntry(BatchList& list, const std::string& text);
// Delete: removes every entry whose index is in selected; unknown indices are ignored.
void deleteBatchEntries(BatchList& list, const std::vector<int>& selected);
// New: asks "Save changes to ...?" (Yes writes the list first), then empties the list
// and makes "untitled.blt" the list name. False when cancelled or when the save failed
// (then shown as "Cannot save file!" and the list kept).
bool newBatchList(VornelDocument& doc, Host& host, BatchList& list);
// Load: a file dialog; the chosen file becomes the list name and is read. False when
// cancelled or when the file could not be read.
bool loadBatchList(VornelDocument& doc, Host& host, BatchList& list);
// Save: asks for a name only while the list is "untitled.blt" (".blt" replaces a
// three-letter extension or is appended); a failed write is shown as "Cannot save
// file!" and leaves the list name as it was.
bool saveBatchList(VornelDocument& doc, Host& host, const BatchList& list);
// Save As: asks for a name and writes to it unchanged.
bool saveBatchListAs(VornelDocument& doc, Host& host, const BatchList& list);
// Double-clicking an entry: it becomes the Message layer's text and the working
// message. The caller renders the job and refreshes the preview.
void useBatchEntry(VornelDocument& doc, const std::string& entry);

}  // namespace vornel
