#pragma once
// "Save to file" and "Read from file": the settings as the controls hold them,
// exported to and imported from a configuration file (INI text). Neither
// direction checks ranges or touches the configuration image; the encoder
// validates the values when it next runs.
//
// The clock edits, the web server settings and the port are not in the file.
#include <string>
#include <string_view>

#include "settings/model.h"

namespace zorbel::cfgfile {

struct SaveResult {
  enum class Status { Ok, ConversionError, WriteError };
  Status status = Status::Ok;
  std::string text;    // ConversionError: the integer edit's text that does not convert
  std::string path;    // WriteError: the file named by the caller
  std::string reason;  // WriteError: the operating system's reason, for a detail line

  bool ok() const { return status == Status::Ok; }
  // What the user is shown: "'%s' is not a valid integer value" or "Unable to write to %s".
  std::string message() const;
};

// "Save to file". Every integer edit is converted first: on a conversion error
// (the first in file order) nothing is written. An existing file is read and
// only our keys change in it, every other section, key and line stays as it
// was; a missing file is created (CRLF line endings). The new content replaces
// the file in one step, so on any failure the old file is exactly as it was.
// The model is not changed.
SaveResult saveConfigFile(const settings::SettingsModel& model, const std::string& path);

// The content a save over `existing` (the old file's bytes, empty for a new
// file) writes. On a conversion error `out` is left alone.
SaveResult composeConfigFile(const settings::SettingsModel& model, std::string_view existing, std::string& out);

struct ImportResult {
  enum class Status { Ok, ReadError };
  Status status = Status::Ok;
  // Non-empty when the file's version is not ours: the message to show, lines
  // separated by "\n". The import has gone on all the same.
  std::string versionMessage;
  // False when there was no file: every setting then took its load default.
  bool fileFound = true;
  std::string path;    // ReadError: the file named by the caller
  std::string reason;  // ReadError: the operating system's reason

  bool ok() const { return status == Status::Ok; }
  // ReadError: "Unable to read from %s".
  std::string message() const;
};

// "Read from file". A missing file, section or key is no error: each missing
// key takes its own load default, as does a value that does not convert. A file
// that exists but cannot be read (a folder, no rights, far too long) is a
// ReadError and no setting changes. Check boxes are set through their click
// behaviour, combo boxes through their selection (an index outside the list
// leaves no item selected), edit boxes take the text whole. The digital
// telemetry channels and the Quodra outputs have no load default: they change
// only when their key is present and converts.
ImportResult importConfigFile(settings::SettingsModel& model, const std::string& path);

// The same import from a file's bytes held in memory.
ImportResult importConfigBytes(settings::SettingsModel& model, std::string_view bytes);

// The version mismatch message, lines separated by "\n".
std::string versionMismatchMessage();

}  // namespace zorbel::cfgfile
