// Style files (".sty"): an effect list and a background line, read into and written
// from the working set. The same reading and writing also end every layer block of a
// project file.
//
// Bad input reads to a defined result: unknown lines are skipped, numbers beyond the
// 32-bit range are clamped to it, an effect line with fewer than twelve numbers gives 0
// for the missing ones, effect lines beyond the working set's forty are ignored together
// with their texture lines, and names are cut to their fields' widths on a character
// boundary.
#pragma once

#include <string>
#include <vector>

#include "core/job.h"
#include "core/text_reader.h"
#include "platform/host.h"

namespace vornel {

// The reading loop alone: empties the working style, then reads from the reader's
// position up to and including the "end" line, or to the end of the text.
void readStyleFrom(TextReader& in, VornelDocument& doc);
// Reads the style file into the working set and makes path its styleName. When the
// file cannot be read nothing changes and false is returned (with a reason).
bool readStyle(const std::string& path, VornelDocument& doc, std::string* reason = nullptr);

// Appends the working set's style to out, with CR LF line ends.
void writeStyleTo(std::string& out, VornelDocument& doc);
// Writes the style file; on success makes path the working styleName. A failed write
// leaves any old file as it was and returns false.
bool writeStyle(const std::string& path, VornelDocument& doc, std::string* reason = nullptr);

// The keyword's type code when line begins with one (first match in type order, so a
// keyword need not be followed by a blank), else -1.
int effectTypeOfLine(const std::string& line);

// Save Style: to the working styleName when there is one, else Save Style As. A failed
// write is shown as "Cannot save file!". Returns whether the style was written.
bool saveStyle(VornelDocument& doc, Host& host);
// Save Style As: asks for a name, proposing appDirectory + "untitled.sty" (".sty" is
// appended unless the name has a three-letter extension), asks before replacing an
// existing file that is not empty, writes. Returns whether the style was written.
bool saveStyleAs(VornelDocument& doc, Host& host);

inline constexpr const char* kCannotSaveText = "Cannot save file!";
inline constexpr const char* kErrorCaption = "Error!";
inline constexpr const char* kWarningCaption = "Warning!";

// Shows "Cannot save file!" with the error caption and icon; with failures ("NAME:
// reason" each), one line per file under it, so that the user knows what to mend.
void reportCannotSave(Host& host, const std::vector<std::string>& failures = {});
// Shows "Cannot open file!" and the failure ("NAME: reason") under it.
void reportCannotOpen(Host& host, const std::string& failure);

}  // namespace vornel
