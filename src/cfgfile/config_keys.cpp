// The configuration file's keys: the header, then every setting declared with
// a file key, section by section.
#include "config_keys.h"

#include <algorithm>
#include <vector>

#include "common/programming_error.h"
#include "settings/catalog.h"
#include "settings/image.h"

namespace zorbel::cfgfile {
namespace {

using settings::Setting;

// The settings in file order: sections in the order their first setting is
// declared, each section's keys in declaration order, then every key that
// names the key it follows moved behind that key.
std::vector<const Setting*> settingsInFileOrder() {
  const auto all = settings::allSettings();
  std::vector<std::string> sections;
  for (const Setting& s : all) {
    if (s.file && std::find(sections.begin(), sections.end(), s.file->section) == sections.end()) {
      sections.push_back(s.file->section);
    }
  }
  std::vector<const Setting*> order;
  for (const std::string& section : sections) {
    for (const Setting& s : all) {
      if (s.file && s.file->section == section) order.push_back(&s);
    }
  }
  for (const Setting& s : all) {
    if (!s.file || s.file->after.empty()) continue;
    order.erase(std::find(order.begin(), order.end(), &s));
    const auto anchor = std::find_if(order.begin(), order.end(),
                                     [&](const Setting* o) { return o->name == s.file->after; });
    if (anchor == order.end())
      programmingError(s.name + " follows " + s.file->after + ", which has no file key");
    order.insert(anchor + 1, &s);
  }
  return order;
}

std::vector<ConfigKey> buildKeys() {
  const std::string header(kHeaderSection);
  std::vector<ConfigKey> keys{
      {header, "WARNING", "", FileForm::Fixed,
       "Please do not try to modify this file. It should be managed with Zorbel configurator "
       "program."},
      {header, "Application", "", FileForm::Fixed, "ZORBEL Configurator"},
      {header, std::string(kVersionKey), "", FileForm::Fixed,
       std::string(settings::kConfigVersion)},
  };
  for (const Setting* s : settingsInFileOrder()) {
    const settings::FileKey& f = *s->file;
    keys.push_back(ConfigKey{f.section, f.key, s->name, f.form, f.loadDefault});
  }
  return keys;
}

}  // namespace

std::span<const ConfigKey> configKeys() {
  static const std::vector<ConfigKey> keys = buildKeys();
  return keys;
}

}  // namespace zorbel::cfgfile
