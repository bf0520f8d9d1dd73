// Project files (".vrn"): the whole job as three layer blocks (Template, Bulletin,
// Message), each a header (kind, text, box, font) followed by a complete style.
//
// Bad input reads to a defined result: a block that ends early keeps what was read,
// unknown lines are skipped, numbers beyond the 32-bit range are clamped to it and the
// font's byte fields to 0..255, a text that never closes runs to the end of the file,
// and texts and face names are cut to their fields' widths on a character boundary.
#pragma once

#include <string>

#include "core/job.h"
#include "core/text_reader.h"
#include "platform/host.h"

namespace vornel {

// The name a project is written under: a three-letter extension is replaced by ".vrn",
// otherwise ".vrn" is appended.
std::string projectFileName(const std::string& path);

// Reads the three layer blocks and applies the settings that follow a read (Template
// factors, working background, flags); projectName is the caller's.
void readProjectFrom(TextReader& in, VornelDocument& doc);
// Returns 0, or -1 with nothing changed when the file cannot be read.
int readProject(VornelDocument& doc, const std::string& path, std::string* reason = nullptr);

// Appends the three layer blocks with CR LF line ends. Leaves the Message layer's
// effects in the working set, as the style writer is handed each layer in turn.
void writeProjectTo(std::string& out, VornelDocument& doc);
// Writes to projectFileName(path). Returns 0, or -1 with nothing changed (any old file
// included) when it cannot be written.
int writeProject(VornelDocument& doc, const std::string& path, std::string* reason = nullptr);

// Examples are drawn for a larger screen font: when the Message's |lfHeight| is above
// 30, the heights and widths of all three fonts are scaled by 30 / |Message lfHeight|.
void scaleExampleFonts(VornelDocument& doc);

// Save Project: to projectName when there is one, else Save Project As. A failed write
// is shown as "Cannot save file!". Returns whether the project was written.
bool saveProject(VornelDocument& doc, Host& host);
bool saveProjectAs(VornelDocument& doc, Host& host);

// The question before a project is replaced: when the project was modified asks
// "Save change to ..." (Yes saves). Returns false when the command is to be abandoned
// (Cancel, or a save that failed).
bool askSaveProjectChanges(VornelDocument& doc, Host& host);

enum class OpenProjectResult { Cancelled, Read, Failed };
// Open Project: the question, a file dialog and readProject. The caller renders the job
// afterwards unless the command was cancelled. On failure, failure (when given) names
// the file and the reason.
OpenProjectResult openProject(VornelDocument& doc, Host& host, std::string* failure = nullptr);
// Opening a project named by the user outside the file dialog (the window's command
// line, a dropped file): the question, then readProject.
OpenProjectResult openProjectFile(VornelDocument& doc, Host& host, const std::string& path,
                                  std::string* failure = nullptr);
// Opening entry of the Examples list: the question, readProject from the program folder
// and scaleExampleFonts.
OpenProjectResult openExampleProject(VornelDocument& doc, Host& host, const std::string& entry,
                                     std::string* failure = nullptr);

}  // namespace vornel
