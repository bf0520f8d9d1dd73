#include "core/output/save_output.h"

#include <cctype>

#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "imageio/gif_writer.h"
#include "imageio/image_by_name.h"
#include "imageio/jpeg_encoder.h"
#include "imageio/png_file.h"
#include "render/compose.h"
#include "render/engine.h"

namespace vornel {

const char* outputExtension(std::int32_t type) {
  switch (type) {
    case kOutputGif16:
    case kOutputGif256:
      return ".gif";
    case kOutputJpeg:
      return ".jpg";
    case kOutputBmp:
      return ".bmp";
    case kOutputPng:
      return ".png";
    default:
      return "";
  }
}

int savedBitsPerPixel(std::int32_t type) {
  return type == kOutputGif16 || type == kOutputGif256 ? 8 : 24;
}

std::string setExtension(const std::string& name, const std::string& ext) {
  if (name.size() > 3 && name[name.size() - 4] == '.') return name.substr(0, name.size() - 4) + ext;
  return name + ext;
}

std::string jpegNameExtension(const std::string& name) {
  for (const char* ext : {".jpeg", ".jpe"}) {
    const std::size_t n = std::char_traits<char>::length(ext);
    if (name.size() <= n) continue;
    std::string tail = name.substr(name.size() - n);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail == ext) return name.substr(name.size() - n);
  }
  return "";
}

std::string mainOutputName(const std::string& name, std::int32_t type) {
  if (type == kOutputJpeg && !jpegNameExtension(name).empty()) return name;
  const std::string ext = outputExtension(type);
  if (name.size() <= 3) return name + ext;
  return setExtension(name, ext);
}

std::string pressedOutputName(const std::string& mainName, std::int32_t type) {
  const std::string jpegExt = type == kOutputJpeg ? jpegNameExtension(mainName) : "";
  if (!jpegExt.empty()) return mainName.substr(0, mainName.size() - jpegExt.size()) + "_" + jpegExt;
  // The main name always ends with a four-character extension when formed above.
  const std::string stem = mainName.size() >= 4 ? mainName.substr(0, mainName.size() - 4) : "";
  return stem + "_" + outputExtension(type);
}

int transparentIndexFor(const VornelDocument& doc) {
  // The project's mode, not the working set's: the working set takes the background line
  // of every style read, while the project keeps the one the picture is saved with, so
  // a saved project always makes the same file again.
  return doc.projectBackgroundMode == kBackgroundTransparent ? 0 : -1;
}

void prepareOutput(Engine& engine, std::int32_t type) {
  if (type == kOutputGif16)
    composeJobReduced(engine, 16);
  else if (type == kOutputGif256)
    composeJobReduced(engine, 256);
  else if (type == kOutputPng && transparentIndexFor(engine.doc) >= 0)
    composeJobWithAlpha(engine.doc);
  else
    composeJob(engine.doc);
}

int encodeOutputFile(DibImage& image, std::int32_t type, int transparentIndex, int bits,
                     std::vector<std::uint8_t>& out, std::string* reason) {
  // A message of blanks lights no pixel, and a picture of no size is one that no reader
  // opens: refused here alike for every type, rather than written as BMP and refused by
  // the other writers in words of their own.
  if (image.width() <= 0 || image.height() <= 0) {
    if (reason)
      *reason = "nothing to draw (the picture is " + std::to_string(image.width()) + " x " +
                std::to_string(image.height()) + " pixels)";
    return 0;
  }
  switch (type) {
    case kOutputGif16:
    case kOutputGif256:
      return encodeGifImage(image, 0, transparentIndex, bits, out, reason);
    case kOutputJpeg:
      return encodeJpeg(image, out, reason);
    case kOutputBmp:
      return encodeBmp(image, out, reason);
    case kOutputPng:
      return encodePng(image, out, reason);
    default:
      if (reason) *reason = "unknown output file type " + std::to_string(type);
      return 0;
  }
}

int writeOutputFile(DibImage& image, const std::string& fileName, std::int32_t type,
                    int transparentIndex, int bits, std::string* reason, DeferredWrites* deferred) {
  std::vector<std::uint8_t> bytes;
  if (!encodeOutputFile(image, type, transparentIndex, bits, bytes, reason)) return 0;
  if (deferred) return deferred->put(fileName, bytes.data(), bytes.size(), reason) ? 1 : 0;
  return writeFileAtomically(fileName, bytes, reason) ? 1 : 0;
}

SaveResult saveOutput(Engine& engine, const std::string& fileName, DeferredWrites* deferred) {
  VornelDocument& doc = engine.doc;
  const std::int32_t type = doc.outputFileType;
  prepareOutput(engine, type);
  const std::string mainName = mainOutputName(fileName, type);
  const int transparent = transparentIndexFor(doc);
  const int bits = savedBitsPerPixel(type);

  SaveResult result;
  auto write = [&](DibImage& image, const std::string& name) {
    std::string reason;
    if (writeOutputFile(image, name, type, transparent, bits, &reason, deferred))
      result.written.push_back(name);
    else
      result.failures.push_back(name + ": " + reason);
  };
  write(doc.outputImage, mainName);
  // The pressed twin has the main picture's size: when that is empty, once is enough.
  const bool nothingDrawn = doc.outputImage.width() <= 0 || doc.outputImage.height() <= 0;
  if (doc.pressedImage && !nothingDrawn)
    write(doc.pressedOutputImage, pressedOutputName(mainName, type));
  return result;
}

bool copyOutputToClipboard(Engine& engine) {
  const DibImage& image = engine.doc.outputImage;
  if (image.empty()) return false;
  return engine.host.copyToClipboard(image.block());
}

std::string estimateFilePath(const VornelDocument& doc) {
  return doc.appDirectory + kEstimateFileName;
}

std::uint64_t measureOutputSize(Engine& engine, std::string* reason) {
  const VornelDocument& doc = engine.doc;
  const std::int32_t type = doc.outputFileType;
  const int bits = type == kOutputGif16 ? 4 : savedBitsPerPixel(type);
  std::vector<std::uint8_t> bytes;
  if (!encodeOutputFile(engine.doc.outputImage, type, transparentIndexFor(doc), bits, bytes,
                        reason))
    return 0;
  return bytes.size();
}

std::uint64_t estimateFileSize(Engine& engine, std::string* reason) {
  VornelDocument& doc = engine.doc;
  const std::int32_t type = doc.outputFileType;
  const std::string path = estimateFilePath(doc);
  // The 16-colour GIF is estimated with a 16-entry table, although it is saved with 256.
  const int bits = type == kOutputGif16 ? 4 : savedBitsPerPixel(type);
  writeOutputFile(doc.outputImage, path, type, transparentIndexFor(doc), bits, reason);
  return fileSize(path);
}

}  // namespace vornel
