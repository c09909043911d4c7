// zorbel-sim: the device simulator as a program. Prints the pseudo-terminal's
// path as its first line and serves until interrupted.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "link/simulator_link.h"
#include "simulator.h"

namespace {

const char* const kHelp = R"(Usage: zorbel-sim [OPTION]...
Plays the Zorbel device on a pseudo-terminal. Prints the terminal's path as the
first line, links it (see --link), and serves until interrupted.

  --link PATH          make PATH a symbolic link to the terminal
                       (default ${XDG_RUNTIME_DIR:-/tmp}/zorbel-sim, which the
                       configurator's port list offers)
  --no-link            make no link
  --eeprom FILE        load the 2048-byte configuration memory from FILE when it
                       exists (else start blank, all 0xFF) and keep it there
  --firmware-out FILE  write the firmware pages received to FILE
  --baud N             pace every byte, both ways, at N baud (10 bits a byte)
  --verbose            a line on stderr for each frame

Fault switches (N counts from 1):
  --drop-answer N      send no answer to the Nth frame
  --corrupt-page N     change a data byte of the Nth page answered
  --bad-header N       give the Nth page answered a wrong frame checksum
  --wrong-page N:P     answer the Nth page read with page P
  --noise N            send N noise bytes before every answer
  --hang-up-after N    hang the line up on the Nth frame
  --split N            send answers in pieces of N bytes, 0.5 ms apart
  --misstore OFFSET    store the configuration byte at OFFSET (0..2047) changed,
                       answering as if it were stored right
  --flood KIND         after the first frame, send without end: noise (bytes
                       that are never 0xFF), start (0xFF bytes) or ack (acks
                       of both kinds)
  --flood-headers      after the first frame, send without end page data
                       headers with a wrong frame checksum (FF 91 00 00 00 00
                       00 00)
  --help               show this text
)";

bool number(const std::string& text, unsigned& out) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const unsigned long n = std::strtoul(text.c_str(), nullptr, 10);
  if (errno != 0 || n > UINT_MAX) return false;
  out = static_cast<unsigned>(n);
  return true;
}

bool takesValue(const std::string& arg) {
  for (const char* option : {"--link", "--eeprom", "--firmware-out", "--baud", "--drop-answer",
                             "--corrupt-page", "--bad-header", "--noise", "--hang-up-after",
                             "--split", "--misstore", "--flood", "--wrong-page"})
    if (arg == option) return true;
  return false;
}

int usage(const std::string& why) {
  std::cerr << "zorbel-sim: " << why << "\nTry 'zorbel-sim --help'.\n";
  return 64;
}

std::string defaultLink() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return std::string(runtime && *runtime ? runtime : "/tmp") + "/zorbel-sim";
}

using zorbel::sim::SimOptions;

struct CommandLine {
  SimOptions options;
  std::string link = defaultLink();  // empty: no link
  bool verbose = false;
};

// The counts and numbers behind the options that take one.
unsigned* countOption(const std::string& arg, SimOptions& options) {
  if (arg == "--baud") return &options.baud;
  if (arg == "--drop-answer") return &options.dropAnswerTo;
  if (arg == "--corrupt-page") return &options.corruptPage;
  if (arg == "--bad-header") return &options.badHeaderPage;
  if (arg == "--noise") return &options.noiseBytes;
  if (arg == "--hang-up-after") return &options.hangUpAfter;
  if (arg == "--split") return &options.splitAnswers;
  return nullptr;
}

bool setFlood(const std::string& value, SimOptions& options) {
  using Flood = SimOptions::Flood;
  if (value == "noise")
    options.flood = Flood::Noise;
  else if (value == "start")
    options.flood = Flood::StartBytes;
  else if (value == "ack")
    options.flood = Flood::Acks;
  else
    return false;
  return true;
}

bool setWrongPage(const std::string& value, SimOptions& options) {
  const auto colon = value.find(':');
  unsigned page = 0;
  if (colon == std::string::npos || !number(value.substr(0, colon), options.wrongPageAnswer) ||
      !number(value.substr(colon + 1), page) || page > 0xFFFF)
    return false;
  options.wrongPageNumber = static_cast<std::uint16_t>(page);
  return true;
}

// Sets an option that takes a value; false when the value does not fit it.
bool setValue(const std::string& arg, const std::string& value, CommandLine& line) {
  SimOptions& options = line.options;
  if (unsigned* count = countOption(arg, options)) return number(value, *count);
  if (arg == "--link") {
    line.link = value;
  } else if (arg == "--eeprom") {
    options.eepromFile = value;
  } else if (arg == "--firmware-out") {
    options.firmwareOut = value;
  } else if (arg == "--misstore") {
    unsigned offset = 0;
    if (!number(value, offset) || offset >= 2048) return false;
    options.misstoreOffset = static_cast<int>(offset);
  } else if (arg == "--flood") {
    return setFlood(value, options);
  } else if (arg == "--wrong-page") {
    return setWrongPage(value, options);
  }
  return true;
}

int refusedValue(const std::string& arg) {
  if (arg == "--flood") return usage("--flood takes noise, start or ack");
  if (arg == "--misstore") return usage("--misstore takes an offset from 0 to 2047");
  return usage(arg + " takes a number" + (arg == "--wrong-page" ? " pair N:P" : ""));
}

// Reads the command line into `line`: nothing to go on, or the status to exit with.
std::optional<int> parseArguments(int argc, char** argv, CommandLine& line) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return 0;
    }
    if (arg == "--no-link") {
      line.link.clear();
    } else if (arg == "--verbose") {
      line.verbose = true;
    } else if (arg == "--flood-headers") {
      line.options.flood = SimOptions::Flood::BadHeaders;
    } else if (!takesValue(arg)) {
      return usage("unknown option " + arg);
    } else if (i + 1 >= argc) {
      return usage("option " + arg + " needs a value");
    } else if (!setValue(arg, argv[++i], line)) {
      return refusedValue(arg);
    }
  }
  return std::nullopt;
}

// The signals that stop the simulator, blocked here and in the serving thread
// (which inherits the mask), to be taken by sigtimedwait().
sigset_t blockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

// Makes `link` name `terminal`; nothing, with the reason on stderr, when it cannot.
std::unique_ptr<zorbel::link::SimulatorLink> publishLink(const std::string& link,
                                                         const std::string& terminal) {
  if (link.empty()) return nullptr;
  auto published = zorbel::link::SimulatorLink::publish(link, terminal);
  if (!published) {
    std::cerr << "zorbel-sim: " << published.error().message << "\n";
    return nullptr;
  }
  std::cerr << "zorbel-sim: " << link << " -> " << terminal << "\n";
  return std::move(published.value());
}

// Serves until a stop signal comes or the line is hung up.
void serveUntilStopped(zorbel::sim::Simulator& sim, const sigset_t& signals) {
  const timespec tick{0, 100'000'000};
  while (!sim.hungUp()) {
    if (sigtimedwait(&signals, nullptr, &tick) > 0) break;
  }
  if (sim.hungUp()) std::cerr << "zorbel-sim: line hung up\n";
  sim.stop();
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  if (const std::optional<int> status = parseArguments(argc, argv, line)) return *status;

  const sigset_t signals = blockStopSignals();
  zorbel::sim::Simulator sim(line.options);
  sim.setVerbose(line.verbose);
  if (const zorbel::Result<void> started = sim.start(); !started) {
    std::cerr << "zorbel-sim: " << started.error().message << "\n";
    return 1;
  }
  const auto published = publishLink(line.link, sim.slavePath());
  // Printed once the link is there, so that a script that reads it may use either.
  std::cout << sim.slavePath() << std::endl;
  serveUntilStopped(sim, signals);
  return 0;  // the link goes with the simulator, before the exit
}
