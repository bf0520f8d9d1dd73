#include "core/text_reader.h"

#include <limits>
#include <vector>

#include "imageio/file_bytes.h"

namespace vornel {

std::size_t TextReader::lineBreakAt(std::size_t pos) const {
  if (text_[pos] == '\n') return 1;
  if (text_[pos] != '\r') return 0;
  if (pos + 1 < text_.size() && text_[pos + 1] == '\n') return 2;
  if (pos + 2 < text_.size() && text_[pos + 1] == '\r' && text_[pos + 2] == '\n') return 3;
  return 0;  // a lone CR is text
}

bool TextReader::readLine(std::string& piece) {
  piece.clear();
  if (atEnd()) return false;
  // Characters taken into this piece, the line break and any NUL bytes included.
  std::size_t taken = 0;
  bool ended = false;  // a NUL byte has ended the piece's content
  while (pos_ < text_.size() && taken < kMaxLinePiece) {
    ++taken;
    if (std::size_t n = lineBreakAt(pos_)) {
      pos_ += n;
      if (!ended) piece.push_back('\n');
      return true;
    }
    if (text_[pos_] == '\0') ended = true;
    if (!ended) piece.push_back(text_[pos_]);
    ++pos_;
  }
  return true;
}

bool readTextFile(const std::string& path, std::string& out, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(path, bytes, reason, kMaxTextFileBytes)) return false;
  out.assign(bytes.begin(), bytes.end());
  return true;
}

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void FieldScanner::skipSpace() {
  while (pos_ < line_.size() && isSpace(line_[pos_])) ++pos_;
}

bool FieldScanner::word(std::string& out) {
  if (failed_) return false;
  skipSpace();
  std::size_t start = pos_;
  while (pos_ < line_.size() && !isSpace(line_[pos_])) ++pos_;
  if (pos_ == start) {
    failed_ = true;
    return false;
  }
  out.assign(line_.substr(start, pos_ - start));
  return true;
}

bool FieldScanner::integer(std::int32_t& out) {
  if (failed_) return false;
  skipSpace();
  std::size_t p = pos_;
  bool negative = false;
  if (p < line_.size() && (line_[p] == '+' || line_[p] == '-')) negative = line_[p++] == '-';
  if (p >= line_.size() || line_[p] < '0' || line_[p] > '9') {
    failed_ = true;
    return false;
  }
  // Accumulate the magnitude in 64 bits and stop growing once past the 32-bit range.
  const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  while (p < line_.size() && line_[p] >= '0' && line_[p] <= '9') {
    if (magnitude <= limit) magnitude = magnitude * 10 + (line_[p] - '0');
    ++p;
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max())
    value = std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    value = std::numeric_limits<std::int32_t>::min();
  out = static_cast<std::int32_t>(value);
  pos_ = p;
  return true;
}

bool FieldScanner::byteValue(std::uint8_t& out) {
  std::int32_t v = 0;
  if (!integer(v)) return false;
  out = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  return true;
}

std::string withExtension(const std::string& name, const std::string& extension) {
  if (name.size() > 3 && name[name.size() - 4] == '.')
    return name.substr(0, name.size() - 4) + extension;
  return name + extension;
}

void appendCrLf(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
}

}  // namespace vornel
