// Text files: written with CR LF, read with LF, CR LF or CR CR LF line ends alike.
#pragma once

#include <string>
#include <vector>

namespace vornel {

// Splits text into lines without their line ends. "\n", "\r\n" and "\r\r\n" each end a
// line; a lone "\r" elsewhere is kept as text. A final line without a line end is kept.
std::vector<std::string> splitTextLines(const std::string& text);

// Turns every "\n" into "\r\n" (text already in CR LF form is not doubled).
std::string toCrLf(const std::string& text);

}  // namespace vornel
