// Arbitrary bytes as a configuration file: through the INI reader, the import,
// and a save over them. An unchanged document must give back its bytes, and a
// save over any file must read back as the settings it was made from.
//
// The import is what a user's file goes through, so every input takes it. The
// save and the second import cost three times as much again; they run for one
// input in eight, picked by a hash of the bytes, so that an input found to
// fail fails again when it is replayed.
#include <cstdint>
#include <string>
#include <string_view>

#include "cfgfile/config_file.h"
#include "cfgfile/ini_document.h"

namespace {

bool sampled(std::string_view bytes) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return (h >> 29) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorbel;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  if (cfgfile::IniDocument::parse(bytes).serialize() != bytes) __builtin_trap();

  static const settings::SettingsModel startup(0);
  settings::SettingsModel imported = startup;
  const Result<cfgfile::ImportReport> result = cfgfile::importConfigBytes(imported, bytes);
  if (!result.ok()) __builtin_trap();
  if (!sampled(bytes)) return 0;

  // Every integer edit now holds decimal text, so the save cannot fail.
  const Result<std::string> saved = cfgfile::composeConfigFile(imported, bytes);
  if (!saved.ok()) __builtin_trap();

  settings::SettingsModel again = startup;
  const Result<cfgfile::ImportReport> reread = cfgfile::importConfigBytes(again, saved.value());
  if (!reread.ok() || !reread.value().versionMessage.empty()) __builtin_trap();
  if (!(again == imported)) __builtin_trap();
  return 0;
}
