// File dialog filters: the pages' filters are written as "Description(*.ext)|*.ext|...||";
// a Qt file dialog takes one "Description (patterns)" per entry. File names on Linux
// are case-sensitive while the patterns were written for a system where they are not,
// so each pattern is given in both cases.
#pragma once

#include <string>
#include <vector>

namespace vornel {

std::vector<std::string> dialogNameFilters(const std::string& filter);

}  // namespace vornel
