#include "cli/message_input.h"

#include <istream>
#include <iterator>
#include <vector>

#include "imageio/file_bytes.h"
#include "imageio/utf8.h"

namespace vornel {

namespace {

// A message is at most a few hundred bytes; more is not a message but a wrong file.
constexpr std::size_t kMaxInputBytes = std::size_t{1} << 20;

}  // namespace

bool isUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = utf8SequenceAt(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool messageFromInput(const std::string& raw, const std::string& source, std::string& message,
                      std::string& reason) {
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r') {
      text.push_back('\n');
      if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
    } else {
      text.push_back(raw[i]);
    }
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  if (text.empty()) {
    reason = source + ": no message (the input is empty)";
    return false;
  }
  if (text.find('\0') != std::string::npos || !isUtf8(text)) {
    reason = source + ": the message is not UTF-8 text";
    return false;
  }
  message = text;
  return true;
}

bool readMessageFromStream(std::istream* in, std::string& message, std::string& reason) {
  if (!in) {
    reason = "standard input: not available";
    return false;
  }
  std::string raw;
  char buffer[4096];
  while (in->read(buffer, sizeof buffer) || in->gcount() > 0) {
    raw.append(buffer, static_cast<std::size_t>(in->gcount()));
    if (raw.size() > kMaxInputBytes) {
      reason = "standard input: more than 1 MiB, not a message";
      return false;
    }
  }
  return messageFromInput(raw, "standard input", message, reason);
}

bool readMessageFromFile(const std::string& path, std::string& message, std::string& reason) {
  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!readWholeFile(path, bytes, &why, kMaxInputBytes)) {
    reason = path + ": " + why;
    return false;
  }
  return messageFromInput(std::string(bytes.begin(), bytes.end()), path, message, reason);
}

bool readMessageLines(const std::string& path, std::vector<std::string>& messages,
                      std::string& reason) {
  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!readWholeFile(path, bytes, &why, kMaxInputBytes)) {
    reason = path + ": " + why;
    return false;
  }
  const std::string text(bytes.begin(), bytes.end());
  if (text.find('\0') != std::string::npos || !isUtf8(text)) {
    reason = path + ": not UTF-8 text";
    return false;
  }
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size() || text[i] == '\n' || text[i] == '\r';
    if (!end) {
      line.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
    line.clear();
  }
  messages = lines;
  return true;
}

}  // namespace vornel
