#include "config_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <sys/stat.h>

#include "common/whole_file.h"
#include "config_keys.h"
#include "ini_document.h"
#include "settings/catalog.h"
#include "settings/image.h"
#include "settings/integer_text.h"

namespace zorbel::cfgfile {
namespace {

using settings::SettingsModel;

// A configuration file is some ten kilobytes; anything this long is not one.
constexpr std::size_t kMaxFileSize = 16u << 20;
constexpr const char* kTooLong = "the file is too long for a configuration file";

// The integer reading of the integer, item index and flag forms: "0x" or "0X"
// before more text becomes "$", then the strict integer conversion.
std::optional<std::int32_t> readInteger(std::string_view stored) {
  if (stored.size() > 2 && stored[0] == '0' && (stored[1] == 'x' || stored[1] == 'X')) {
    return settings::parseInteger("$" + std::string(stored.substr(2)));
  }
  return settings::parseInteger(stored);
}

// Every value the file gets, in key order; the first integer edit that does
// not convert stops it.
Result<void> convertValues(const SettingsModel& model, std::vector<std::string>& values) {
  const auto keys = configKeys();
  values.clear();
  values.reserve(keys.size());
  for (const ConfigKey& k : keys) {
    switch (k.form) {
      case FileForm::Fixed:
        values.push_back(*k.loadDefault);
        break;
      case FileForm::Text:
        values.push_back(model.text(k.control));
        break;
      case FileForm::Integer: {
        const std::string& text = model.text(k.control);
        const auto n = settings::parseInteger(text);
        if (!n)
          return settings::failedAt(
              makeError(ErrorKind::Conversion, settings::conversionErrorMessage(text)),
              settings::settingIndex(k.control));
        values.push_back(std::to_string(*n));
        break;
      }
      case FileForm::ItemIndex:
        values.push_back(std::to_string(model.index(k.control)));
        break;
      case FileForm::Flag:
        values.push_back(model.checked(k.control) ? "1" : "0");
        break;
    }
  }
  return {};
}

std::string composeFrom(std::string_view existing, const std::vector<std::string>& values) {
  IniDocument doc = IniDocument::over(existing);
  const auto keys = configKeys();
  for (std::size_t i = 0; i < keys.size(); ++i) doc.set(keys[i].section, keys[i].key, values[i]);
  return doc.serialize();
}

Error writeError(const std::string& path, std::string reason) {
  return makeError(ErrorKind::CannotWrite, "Unable to write to " + path, std::move(reason));
}

Error readError(const std::string& path, std::string reason) {
  return makeError(ErrorKind::CannotRead, "Unable to read from " + path, std::move(reason));
}

// Sets one key's control from the file, or from its load default. A value
// present that does not convert gets a note.
Result<void> importKey(SettingsModel& model, const IniDocument& doc, const ConfigKey& k,
                       std::vector<ValueNote>& notes) {
  if (k.form == FileForm::Fixed) return {};
  const std::optional<std::string> stored = doc.get(k.section, k.key);
  if (k.form == FileForm::Text) {
    if (stored) return model.setText(k.control, *stored);
    if (k.loadDefault) return model.setText(k.control, *k.loadDefault);
    return {};
  }

  std::optional<std::int32_t> n = stored ? readInteger(*stored) : std::nullopt;
  const bool unreadable = stored && !n;
  if (!n && k.loadDefault) n = settings::parseInteger(*k.loadDefault);
  if (unreadable) notes.push_back({k.key, *stored, n ? std::to_string(*n) : std::string()});
  if (!n) return {};
  switch (k.form) {
    case FileForm::Integer:
      return model.setText(k.control, std::to_string(*n));
    case FileForm::ItemIndex:
      return model.setIndex(k.control, *n);
    case FileForm::Flag:
      // As with a check box set by program: the click behaviour runs when the state changes.
      if (model.checked(k.control) != (*n != 0)) return model.click(k.control, *n != 0);
      return {};
    case FileForm::Fixed:
    case FileForm::Text:
      return {};  // handled above
  }
  return {};
}

}  // namespace

std::string fileVersionMismatchMessage() {
  return "Imported configuration file version is different than your current application version. "
         "\n"
         "Please double-check configuration fields after import. \n"
         "Some configuration fields my change between firmware versions.";
}

std::string noteText(const ValueNote& note) {
  return note.key + "=" + note.value + " in the file is not a number; " +
         (note.used.empty() ? std::string("the setting kept its value.")
                            : note.used + " was used.");
}

Result<std::string> composeConfigFile(const SettingsModel& model, std::string_view existing) {
  std::vector<std::string> values;
  if (Result<void> converted = convertValues(model, values); !converted) return converted.error();
  return composeFrom(existing, values);
}

Result<void> saveConfigFile(const SettingsModel& model, const std::string& path) {
  std::vector<std::string> values;
  if (Result<void> converted = convertValues(model, values); !converted) return converted;

  // The old file is read under the writers' lock: everything in it but our values stays.
  WriteOptions options;
  options.oldLimit = kMaxFileSize;
  const Result<void> written = updateFile(
      path, [&](std::string_view old) { return composeFrom(old, values); }, options);
  if (!written)
    return writeError(
        path, written.error().kind == ErrorKind::TooLong ? kTooLong : written.error().reason);
  return {};
}

Result<ImportReport> importConfigBytes(SettingsModel& model, std::string_view bytes) {
  const IniDocument doc = IniDocument::over(bytes);
  ImportReport report;
  if (doc.get(kHeaderSection, kVersionKey).value_or("unknown") != settings::kConfigVersion) {
    report.versionMessage = fileVersionMismatchMessage();
  }

  for (const ConfigKey& k : configKeys()) {
    if (Result<void> set = importKey(model, doc, k, report.notes); !set) return set.error();
  }
  return report;
}

Result<ImportReport> importConfigFile(SettingsModel& model, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
    Result<ImportReport> result = importConfigBytes(model, {});
    if (result) result.value().fileFound = false;
    return result;
  }
  const auto bytes = readWholeFile(path, kMaxFileSize);
  if (!bytes)
    return readError(path,
                     bytes.error().kind == ErrorKind::TooLong ? kTooLong : bytes.error().reason);
  return importConfigBytes(
      model,
      std::string_view(reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size()));
}

}  // namespace zorbel::cfgfile
