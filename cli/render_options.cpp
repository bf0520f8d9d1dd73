#include "cli/render_options.h"

#include <algorithm>

namespace vornel {

std::vector<OptionSpec> renderOptionSpecsWith(const std::vector<std::string>& drop,
                                              const std::vector<OptionSpec>& extra) {
  std::vector<OptionSpec> specs;
  for (const OptionSpec& option : renderOptionSpecs())
    if (std::find(drop.begin(), drop.end(), option.longName) == drop.end()) specs.push_back(option);
  specs.insert(specs.end(), extra.begin(), extra.end());
  return specs;
}

}  // namespace vornel
