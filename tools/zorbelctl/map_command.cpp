// map: the configuration image's map, made from the declarations.
#include <iostream>

#include "ctl.h"
#include "settings/image_map.h"

namespace zorbel::ctl {

int cmdMap(Context& /*ctx*/, const Args& args) {
  const bool markdown = args.size() == 1 && args.front() == "--markdown";
  if (!args.empty() && !markdown) {
    std::cerr << "zorbelctl: map takes no argument but --markdown\nTry 'zorbelctl --help'.\n";
    return kExitUsage;
  }
  return writeStandardOutput(markdown ? settings::imageMapMarkdown() : settings::imageMapText());
}

}  // namespace zorbel::ctl
