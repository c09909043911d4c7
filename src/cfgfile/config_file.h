#pragma once
// "Save to file" and "Read from file": the settings as the controls hold them,
// exported to and imported from a configuration file (INI text). Neither
// direction checks ranges or touches the configuration image; the encoder
// validates the values when it next runs.
//
// The clock edits, the web server settings and the port are not in the file.
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "settings/model.h"

namespace zorbel::cfgfile {

// "Save to file". Every integer edit is converted first: on a conversion error
// (the first in file order) nothing is written and the error is a Conversion
// ("'%s' is not a valid integer value"). An existing file is read and only our
// keys change in it, every other section, key and line stays as it was; a
// missing file is created (CRLF line endings). The new content replaces the
// file in one step, so on any failure (CannotWrite, "Unable to write to %s",
// with the system's reason) the old file is exactly as it was. The model is
// not changed.
Result<void> saveConfigFile(const settings::SettingsModel& model, const std::string& path);

// The content a save over `existing` (the old file's bytes, empty for a new
// file) writes, or the save's conversion error.
Result<std::string> composeConfigFile(const settings::SettingsModel& model,
                                      std::string_view existing);

// A value in the file the import could not read, and what it did instead.
struct ValueNote {
  std::string key;    // as the key table spells it ("TXdelay")
  std::string value;  // the file's bytes, verbatim
  // The value the setting took (its load default, in decimal); empty when
  // the setting kept the value it had.
  std::string used;
};

// "TXdelay=abc in the file is not a number; 250 was used." The value is the
// file's bytes: a terminal must get them escaped.
std::string noteText(const ValueNote& note);

// What an import tells besides the settings it set.
struct ImportReport {
  // Non-empty when the file's version is not ours: the message to show, lines
  // separated by "\n". The import has gone on all the same.
  std::string versionMessage;
  // False when there was no file: every setting then took its load default.
  bool fileFound = true;
  // One note per value that did not convert, in file key order.
  std::vector<ValueNote> notes;
};

// "Read from file". A missing file, section or key is no error: each missing
// key takes its own load default, as does a value that does not convert. A file
// that exists but cannot be read (a folder, no rights, far too long) is a
// CannotRead error ("Unable to read from %s", with the system's reason) and no
// setting changes. Check boxes are set through their click behaviour, combo
// boxes through their selection (an index outside the list leaves no item
// selected), edit boxes take the text whole. The digital telemetry channels
// and the Quodra outputs have no load default: they change only when their key
// is present and converts.
Result<ImportReport> importConfigFile(settings::SettingsModel& model, const std::string& path);

// The same import from a file's bytes held in memory.
Result<ImportReport> importConfigBytes(settings::SettingsModel& model, std::string_view bytes);

// The message for a file of another configuration version, lines separated by "\n".
std::string fileVersionMismatchMessage();

}  // namespace zorbel::cfgfile
