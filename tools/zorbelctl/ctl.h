#pragma once
// Shared pieces of the zorbelctl command-line front end.
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "settings/image.h"
#include "settings/model.h"

namespace zorbel::ctl {

// The exit statuses. A failure's comes from exitStatus(), the one table from
// an ErrorKind to its status.
enum Exit : int {
  kExitOk = 0,
  kExitRange = 1,       // a range message from the encoder
  kExitConversion = 2,  // "'%s' is not a valid integer value"
  kExitVersion = 3,     // configuration version mismatch
  kExitFile = 4,        // file or port error
  kExitNoAnswer = 5,    // the device stopped answering
  kExitChecksum = 6,    // a page or image checksum error on read
  kExitMismatch = 7,    // the device does not hold what was sent (verify) or given (compare)
  kExitWarnings = 8,    // check: at least one warning holds
  kExitUsage = 64,
};

// The status a failure of this kind exits with (TooLong: a text its field would cut).
int exitStatus(ErrorKind kind);
// The status `error` exits with: its kind's, but a file too long is a file error.
int exitStatus(const Error& error);

struct Options {
  // Time without progress (an accepted ack or page) that ends a link command.
  double timeoutSeconds = 5.0;
  std::string traceFile;  // every byte sent and received, for bug reports
  // The files the command reads (--config, --image, the firmware): the trace
  // is never one of them.
  std::vector<std::string> inputs;
  bool verify = false;    // write reads the configuration back and compares it
  bool backup = true;     // write, read and compare keep what they read from the device
  std::string backupDir;  // where; empty: backup::defaultFolder()
};

// The shortest --timeout, 10 ms: a shorter one could end a command before a
// healthy device had time to answer a single page, and blame the device.
inline constexpr double kMinTimeoutSeconds = 0.01;
// The longest --timeout: an hour.
inline constexpr double kMaxTimeoutSeconds = 3600;

struct Context {
  settings::SettingsModel model;
  Options options;
};

using Args = std::vector<std::string>;

// Options applied in command-line order over the start-up state; each returns
// kExitOk to go on, or the exit status to stop with.
int applySet(Context& ctx, std::string_view nameValue);
int applyImage(Context& ctx, const std::string& path);
int applyConfig(Context& ctx, const std::string& path);
int applyPosition(Context& ctx, const std::string& text);

// Commands; each returns its exit status.
int cmdShow(Context& ctx, const Args& args);
int cmdEncode(Context& ctx, const Args& args);
int cmdSave(Context& ctx, const Args& args);
int cmdRuf(Context& ctx, const Args& args);
int cmdWrite(Context& ctx, const Args& args);
int cmdRead(Context& ctx, const Args& args);
int cmdUpload(Context& ctx, const Args& args);
int cmdCompare(Context& ctx, const Args& args);
int cmdCheck(Context& ctx, const Args& args);
int cmdBeacons(Context& ctx, const Args& args);
int cmdPorts(Context& ctx, const Args& args);
int cmdFind(Context& ctx, const Args& args);
int cmdHistory(Context& ctx, const Args& args);
int cmdMap(Context& ctx, const Args& args);

// Writes `bytes` to standard output; kExitOk, or kExitFile with the reason on
// standard error when they cannot all be written.
int writeStandardOutput(std::string_view bytes);

// Keeps an image read from the device as a backup and logs "Backup: FILE" on
// `log`; returns why it could not (empty when kept).
using BackupKeeper = std::function<std::string(const settings::Image& image)>;
BackupKeeper backupKeeper(const Options& options, std::ostream& log);

// read and compare: keeps what they read (unless --no-backup); false, with
// the reason on stderr, when it could not be kept.
bool keepRead(const Options& options, const settings::Image& image, std::ostream& log);

// "The device's configuration could not be backed up (REASON); nothing was written. ..."
std::string backupFailureMessage(const std::string& reason);

// The pre-write warnings as "warning: NAME: WARNING" lines.
void printWarnings(const settings::SettingsModel& model, std::ostream& out);

// Every control as NAME=VALUE, in encoder order, in the forms --set takes;
// each value escaped for the terminal (terminal_text.h).
void printSettings(const settings::SettingsModel& model, std::ostream& out);

// Why an image could not be decoded, for standard error: the version message
// names the device's version with its bytes escaped.
std::string decodeFailureText(const Error& error);

// What Write config does before sending (the PC clock when Uploadpctime is
// checked, then the encoder) into `image`. Returns the exit status, and on a
// failure prints the encoder's message on stderr.
int encodeAndReport(Context& ctx, settings::Image& image);

// A setting's error on standard error, and its exit status: a range message
// 1, a text that is not an integer 2, a text its field would cut 64.
int reportSettingError(const Error& error);

}  // namespace zorbel::ctl
