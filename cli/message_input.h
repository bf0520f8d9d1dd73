// The message read from standard input ("--message -") or from a file
// ("--message-file FILE"): UTF-8 text whose line breaks break the message's lines.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vornel {

// Whether every byte of text belongs to a well-formed UTF-8 character.
bool isUtf8(const std::string& text);

// Makes the raw input a message: CR LF and CR become "\n" and the line breaks at the end
// (a file's last newline) are dropped. Returns false with a reason for input that is
// empty, only line breaks, not UTF-8, or holds a NUL byte.
bool messageFromInput(const std::string& raw, const std::string& source, std::string& message,
                      std::string& reason);

// Reads all of `in` (standard input) or the file at path into a message as above.
bool readMessageFromStream(std::istream* in, std::string& message, std::string& reason);
bool readMessageFromFile(const std::string& path, std::string& message, std::string& reason);

// A plain text list of messages: one message a line, blank lines skipped. False with a
// reason when the file cannot be read or is not UTF-8 text.
bool readMessageLines(const std::string& path, std::vector<std::string>& messages,
                      std::string& reason);

}  // namespace vornel
