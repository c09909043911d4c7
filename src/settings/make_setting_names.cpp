// Writes the names of all declared settings, sorted, as the C++ table that
// setting_name.h checks the program's own names against. Run by the build: it
// rewrites the table only when a name came, went or changed, so a change to
// a declaration that keeps every name recompiles nothing.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog.h"
#include "common/whole_file.h"

namespace {

std::string table() {
  std::vector<std::string> names;
  for (const zorbel::settings::Setting& s : zorbel::settings::allSettings())
    names.push_back(s.name);
  std::sort(names.begin(), names.end());
  std::string text =
      "// Made by zorbel-make-setting-names from the settings declarations: do not edit.\n"
      "#pragma once\n#include <array>\n#include <string_view>\n\n"
      "namespace zorbel::settings::declared {\n\n"
      "// Every declared setting's name, sorted.\n"
      "inline constexpr std::array<std::string_view, " +
      std::to_string(names.size()) + "> kNames = {\n";
  for (const std::string& name : names) text += "    \"" + name + "\",\n";
  return text + "};\n\n}  // namespace zorbel::settings::declared\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zorbel-make-setting-names OUTPUT.h\n");
    return 64;
  }
  const std::string path = argv[1];
  const std::string text = table();
  const auto old = zorbel::readWholeFile(path, 1 << 20);
  if (old && std::string(old.value().begin(), old.value().end()) == text) return 0;
  if (const zorbel::Result<void> written = zorbel::writeFile(path, text); !written) {
    std::fprintf(stderr, "zorbel-make-setting-names: %s: %s\n", written.error().message.c_str(),
                 written.error().reason.c_str());
    return 1;
  }
  return 0;
}
