// zorbelctl: the configurator's operations from the command line, over the same core.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>

#include "ctl.h"

namespace {

using namespace zorbel::ctl;

const char* const kHelp = R"(Usage: zorbelctl [OPTION]... COMMAND [ARGS]

Options, applied in the order given over the start-up settings:
  --set NAME=VALUE   set one control: an edit box's text (taken whole), a combo
                     box's item index (-1 = none; past the list = no selection),
                     or 1/0 for a check box (runs its click behaviour)
  --image FILE       decode a 2048-byte configuration image into the settings
  --config FILE      import a configuration file (version message on stderr)
  --position TEXT    set Latitude and Longitude from decimal degrees, degrees
                     and minutes (and seconds), with signs or N/S/E/W, or a
                     Maidenhead locator of 4, 6 or 8 characters
  --timeout SECONDS  link commands: time without progress (an acknowledged or
                     received page) that ends them; at least 0.01, at most
                     3600 (default 5)
  --trace FILE       link commands: log every byte sent and received, in hex
                     (created once the port is open, readable by you only;
                     never an input, a pipe, a device or a folder)
  --verify           write: read the configuration back and compare it with
                     the image sent
  --backup-dir DIR   keep backups in DIR instead of
                     ${XDG_DATA_HOME:-~/.local/share}/zorbel-configurator/backups
  --no-backup        write: send without reading the device first; read and
                     compare: keep no backup
  --help             show this text

Commands:
  show                    print every control as NAME=VALUE, in encoder order
                          (control bytes as \xHH, a backslash as \\)
  encode FILE             encode the settings (clock from the PC when
                          Uploadpctime is checked) and write the 2048-byte image
  save FILE               save the settings as a configuration file
  ruf FIRMWARE OUT        build a remote update file
  write PORT              write the configuration to the device on PORT
  read PORT               read the configuration from the device, then show it
  upload PORT FIRMWARE    upload a firmware hash file to the device
  compare PORT            read the configuration from the device and list each
                          setting that differs from the options' settings as
                          NAME<TAB>OURS<TAB>DEVICE (the log goes to stderr)
  check                   list the settings that are likely a mistake on air
                          (NOCALL, factory passwords, the example beacon) as
                          NAME<TAB>WARNING; write prints them on stderr
  beacons                 print each beacon that is sent as it goes on air:
                          N<TAB>RF MIN<TAB>IS MIN<TAB>PACKET
  ports [PORT]...         list the serial ports present (or the ports given) as
                          PATH<TAB>DESCRIPTION<TAB>STATE; the state is ready,
                          no permission, in use by PROGRAM (pid N) or missing
  history                 list the backups, newest first:
                          TIME<TAB>STATION<TAB>FILE<TAB>N settings differ from
                          the one before
  find [PORT]...          look for the device on every ready port (or the ports
                          given) and print each port where it answers. This
                          sends a configuration read request to ports you did
                          not choose; a port another program has locked is
                          left alone. Exit 5: "No device answered on: ..."
  map [--markdown]        print the map of the configuration image, one range
                          of bytes a line: OFFSET<TAB>WIDTH<TAB>ENCODING<TAB>
                          SETTING<TAB>TAB (--markdown: docs/IMAGE_MAP.md)

Backups: write first reads the device's configuration and keeps it (a read
that fails sends nothing); read and compare keep what they read. A backup is
the device's 2048 bytes; restore one with --image FILE write PORT.

Exit status:
  0 success, 1 range error, 2 not a valid integer, 3 configuration version
  mismatch, 4 file or port error, 5 no answer from the device, 6 checksum
  error on read, 7 the device does not hold what was sent (--verify) or
  given (compare), 8 check found a warning, 64 usage error or a text its
  field would cut ("NAME: at most N characters"), 128+N stopped by signal N
  (the port is closed first).
)";

int usage(const std::string& why) {
  std::cerr << "zorbelctl: " << why << "\nTry 'zorbelctl --help'.\n";
  return kExitUsage;
}

// Standard input, output or error closed at start would make the next file
// opened (the serial port) take its place, and log text would go to the device.
void reopenClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

// A number of seconds from kMinTimeoutSeconds to kMaxTimeoutSeconds.
bool parseTimeout(const std::string& value, double& seconds) {
  char* end = nullptr;
  const double parsed = std::strtod(value.c_str(), &end);
  if (end == value.c_str() || *end != '\0' || !(parsed >= kMinTimeoutSeconds) ||
      !(parsed <= kMaxTimeoutSeconds))
    return false;
  seconds = parsed;
  return true;
}

// Applies an option that takes a value; kExitOk to go on, else the status to exit with.
int applyValueOption(Context& ctx, const std::string& arg, const std::string& value) {
  if (arg == "--set") return applySet(ctx, value);
  if (arg == "--image") return applyImage(ctx, value);
  if (arg == "--config") return applyConfig(ctx, value);
  if (arg == "--position") return applyPosition(ctx, value);
  if (arg == "--timeout") {
    if (!parseTimeout(value, ctx.options.timeoutSeconds))
      return usage("--timeout takes a number of seconds, at least 0.01 and at most 3600");
  } else if (arg == "--trace") {
    ctx.options.traceFile = value;
  } else if (arg == "--backup-dir") {
    ctx.options.backupDir = value;
  } else {
    return usage("unknown option " + arg);
  }
  return kExitOk;
}

// Applies the options in order and leaves `i` at the command: nothing to go on,
// or the status to exit with.
std::optional<int> applyOptions(Context& ctx, int argc, char** argv, int& i) {
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return kExitOk;
    }
    if (arg.rfind("--", 0) != 0) break;
    if (arg == "--verify") {
      ctx.options.verify = true;
      continue;
    }
    if (arg == "--no-backup") {
      ctx.options.backup = false;
      continue;
    }
    const bool takesValue = arg == "--set" || arg == "--image" || arg == "--config" ||
                            arg == "--position" || arg == "--timeout" || arg == "--trace" ||
                            arg == "--backup-dir";
    if (!takesValue) return usage("unknown option " + arg);
    if (i + 1 >= argc) return usage("option " + arg + " needs a value");
    if (const int status = applyValueOption(ctx, arg, argv[++i]); status != kExitOk) return status;
  }
  return std::nullopt;
}

int runCommand(Context& ctx, const std::string& command, const Args& args) {
  struct Command {
    int (*run)(Context&, const Args&);
    std::size_t arity;  // kAnyArity: as many as given
  };
  constexpr std::size_t kAnyArity = SIZE_MAX;
  const std::map<std::string, Command> commands{
      {"show", {cmdShow, 0}},           {"encode", {cmdEncode, 1}},
      {"save", {cmdSave, 1}},           {"ruf", {cmdRuf, 2}},
      {"write", {cmdWrite, 1}},         {"read", {cmdRead, 1}},
      {"upload", {cmdUpload, 2}},       {"compare", {cmdCompare, 1}},
      {"check", {cmdCheck, 0}},         {"beacons", {cmdBeacons, 0}},
      {"ports", {cmdPorts, kAnyArity}}, {"history", {cmdHistory, 0}},
      {"find", {cmdFind, kAnyArity}},   {"map", {cmdMap, kAnyArity}},
  };
  auto it = commands.find(command);
  if (it == commands.end()) return usage("unknown command " + command);
  if (it->second.arity != kAnyArity && args.size() != it->second.arity)
    return usage(command + " takes " + std::to_string(it->second.arity) + " argument(s)");
  return it->second.run(ctx, args);
}

}  // namespace

int main(int argc, char** argv) {
  reopenClosedStandardStreams();
  Context ctx;
  int i = 1;
  if (const std::optional<int> status = applyOptions(ctx, argc, argv, i)) return *status;
  if (i >= argc) return usage("no command given");
  const std::string command = argv[i++];
  return runCommand(ctx, command, Args(argv + i, argv + argc));
}
