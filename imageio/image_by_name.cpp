#include "imageio/image_by_name.h"

#include <algorithm>
#include <cctype>

#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "imageio/gif_reader.h"
#include "imageio/gif_writer.h"
#include "imageio/jpeg_decoder.h"
#include "imageio/jpeg_encoder.h"
#include "imageio/png_file.h"

namespace vornel {

namespace {

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

int fail(std::string* reason, const char* text) {
  if (reason) *reason = text;
  return 0;
}

}  // namespace

ImageFormat formatForWriting(const std::string& fileName) {
  std::string u = upper(fileName);
  if (u.find(".BMP") != std::string::npos) return ImageFormat::Bmp;
  if (u.find(".GIF") != std::string::npos) return ImageFormat::Gif;
  if (u.find(".JPG") != std::string::npos) return ImageFormat::Jpeg;
  if (u.find(".PNG") != std::string::npos) return ImageFormat::Png;
  return ImageFormat::Unknown;
}

ImageFormat formatForReading(const std::string& fileName) {
  std::string u = upper(fileName);
  if (u.find(".BMP") != std::string::npos) return ImageFormat::Bmp;
  if (u.find(".GIF") != std::string::npos) return ImageFormat::Gif;
  if (u.find(".JPG") != std::string::npos) return ImageFormat::Jpeg;
  if (u.find(".GIT") != std::string::npos) return ImageFormat::Gif;
  if (u.find(".PNG") != std::string::npos) return ImageFormat::Png;
  return ImageFormat::Unknown;
}

int writeImageByName(DibImage& image, const std::string& fileName, int backgroundIndex,
                     int transparentIndex, int bits, std::string* reason) {
  switch (formatForWriting(fileName)) {
    case ImageFormat::Bmp:
      return writeBmp(image, fileName, reason);
    case ImageFormat::Gif:
      return saveGif(image, fileName, backgroundIndex, transparentIndex, bits, reason);
    case ImageFormat::Jpeg:
      return saveJpeg(image, fileName, reason);
    case ImageFormat::Png:
      return savePng(image, fileName, reason);
    case ImageFormat::Unknown:
      break;
  }
  return fail(reason, "unknown file type (use .bmp, .gif, .jpg or .png)");
}

int readImageByName(DibImage& image, const std::string& fileName, std::string* reason) {
  switch (formatForReading(fileName)) {
    case ImageFormat::Bmp:
      return readBmp(image, fileName, reason);
    case ImageFormat::Gif:
      return loadGif(image, fileName, reason);
    case ImageFormat::Jpeg:
      return loadJpeg(image, fileName, reason);
    case ImageFormat::Png:
      return loadPng(image, fileName, reason);
    case ImageFormat::Unknown:
      break;
  }
  return fail(reason, "unknown file type (use .bmp, .gif, .jpg, .git or .png)");
}

std::uint64_t fileSize(const std::string& fileName) {
  if (fileName.empty()) return 0;
  return fileLength(fileName);
}

}  // namespace vornel
