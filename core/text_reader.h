// Reading the line-oriented text files (styles, projects, batch lists). Files written
// on Windows end their lines with CR LF, and message texts inside them sometimes with
// CR CR LF; files written here use CR LF; hand-edited ones may use LF. All three read
// as one line break, which reaches the formats as a single '\n'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vornel {

// Longest piece of a line handed out at once, line break included: the formats were
// defined over a 300-byte line buffer, so a longer line arrives as several pieces and
// each piece is classified on its own.
inline constexpr std::size_t kMaxLinePiece = 299;

// Larger files are refused as if they could not be opened: no style, project or list
// comes near this.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{16} << 20;

// A cursor over text in memory. The text must outlive the reader.
class TextReader {
 public:
  explicit TextReader(std::string_view text) : text_(text) {}

  // The next piece: at most kMaxLinePiece characters, ending with '\n' when the line
  // ends within it. False at the end of the text. A NUL byte ends the piece's content
  // as it ends a C string: the characters after it, line break included, are dropped
  // (they still count toward the piece's length), so no field ever holds a NUL.
  bool readLine(std::string& piece);
  bool atEnd() const { return pos_ >= text_.size(); }

 private:
  // Length of the line break starting at pos (LF, CR LF or CR CR LF), 0 when none.
  std::size_t lineBreakAt(std::size_t pos) const;

  std::string_view text_;
  std::size_t pos_ = 0;
};

// Reads a whole text file for a TextReader. False (with a reason) when the file cannot
// be opened or read, is not a regular file, or is larger than kMaxTextFileBytes.
bool readTextFile(const std::string& path, std::string& out, std::string* reason);

// The scanf-like reading of the formats' numeric lines ("%s %d %d ..."): each call skips
// white space and converts one field; after the first field that does not convert, every
// later one fails too, so the fields that follow keep whatever the caller had in them.
// Integers outside the 32-bit range are clamped to it, so the result is always defined.
class FieldScanner {
 public:
  explicit FieldScanner(std::string_view line) : line_(line) {}

  bool word(std::string& out);
  bool integer(std::int32_t& out);
  // An integer clamped to 0..255, for the byte fields of a font.
  bool byteValue(std::uint8_t& out);

 private:
  void skipSpace();

  std::string_view line_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

// Whether line begins with prefix (case-sensitive).
inline bool startsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// The formats' file-name rule: when name has more than 3 characters and its fourth
// character from the end is '.', its last four characters are replaced by extension
// (".vrn", ".blt"); otherwise extension is appended.
std::string withExtension(const std::string& name, const std::string& extension);

// Appends text to out with every '\n' written as CR LF, as the files are stored.
void appendCrLf(std::string& out, std::string_view text);

}  // namespace vornel
