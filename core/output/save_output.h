// Saving the finished picture as the Save page does: the output prepared for the
// chosen file type, the file names (extension set by the type, the pressed twin
// NAME_.ext), the writers, and the size estimate written to "fs.zzz" in the program
// folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"

namespace vornel {

struct Engine;
class DeferredWrites;

inline constexpr const char* kEstimateFileName = "fs.zzz";

// ".gif" for both GIF types, ".jpg", ".bmp", ".png"; "" for an unknown type.
const char* outputExtension(std::int32_t type);
// Bits per pixel the saved file has: 8 for both GIF types, 24 for JPEG and BMP.
int savedBitsPerPixel(std::int32_t type);
// A name of more than three characters whose fourth character from the end is "."
// has its last four characters replaced by ext; any other name has ext appended.
std::string setExtension(const std::string& name, const std::string& ext);
// ".jpeg" or ".jpe" (as the name writes it) when name ends with one, else "".
std::string jpegNameExtension(const std::string& name);
// The main file name for the type. A JPEG name ending ".jpeg" or ".jpe" is kept as it is.
std::string mainOutputName(const std::string& name, std::int32_t type);
// The pressed twin: the main name without its last four characters, "_", the extension
// (a ".jpeg" or ".jpe" JPEG name: without that extension, "_", that extension).
std::string pressedOutputName(const std::string& mainName, std::int32_t type);
// GIF transparent index: 0 when the project background is transparent, else none (-1).
int transparentIndexFor(const VornelDocument& doc);

// Composes the output for the type: reduced to 16 or 256 colours for the GIF types; for
// PNG with a transparent background, over nothing with the coverage kept as alpha.
void prepareOutput(Engine& engine, std::int32_t type);

// The file's bytes in memory (appended to out), then written as a file. Each uses the
// writer of the type (not guessed from the name: the name's
// folders may hold any extension). Returns 1, or 0 with the reason; a picture of no
// size (nothing was drawn) is refused for every type.
int encodeOutputFile(DibImage& image, std::int32_t type, int transparentIndex, int bits,
                     std::vector<std::uint8_t>& out, std::string* reason = nullptr);
// With deferred, the file is put there to be committed with the others of its run.
int writeOutputFile(DibImage& image, const std::string& fileName, std::int32_t type,
                    int transparentIndex, int bits, std::string* reason = nullptr,
                    DeferredWrites* deferred = nullptr);

struct SaveResult {
  std::vector<std::string> written;   // names written, main first
  std::vector<std::string> failures;  // "NAME: reason" for each file not written
  bool ok() const { return failures.empty(); }
};

// Save Image for the document's outputFileType and the page's file name: prepares the
// output, writes the main file and, with the pressed image on, its twin. With deferred
// (a batch), written names the files put there, not yet committed.
SaveResult saveOutput(Engine& engine, const std::string& fileName,
                      DeferredWrites* deferred = nullptr);

// Edit > Copy: the output picture's packed block (header, palette, pixels; the reduced
// one after a GIF type was chosen) placed on the clipboard. False when there is no
// picture or the clipboard refused it.
bool copyOutputToClipboard(Engine& engine);

// The estimate file's path: the program folder followed by "fs.zzz".
std::string estimateFilePath(const VornelDocument& doc);
// Writes the current output picture (not prepared again) to the estimate file with the
// writer of the current type, GIF 16 colours at 4 bits per pixel, and returns the
// length of the file then found there (0 when there is none). reason says why the
// write failed, when it did.
std::uint64_t estimateFileSize(Engine& engine, std::string* reason = nullptr);
// The same length measured in memory, leaving the program folder alone (the command
// line's size verb); 0 with the reason when the picture cannot be coded.
std::uint64_t measureOutputSize(Engine& engine, std::string* reason = nullptr);

}  // namespace vornel
