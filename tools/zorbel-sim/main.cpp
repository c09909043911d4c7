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

}  // namespace

int main(int argc, char** argv) {
  zorbel::sim::SimOptions options;
  std::string link = defaultLink();
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return 0;
    }
    if (arg == "--no-link") {
      link.clear();
      continue;
    }
    if (arg == "--verbose") {
      verbose = true;
      continue;
    }
    if (arg == "--flood-headers") {
      options.flood = zorbel::sim::SimOptions::Flood::BadHeaders;
      continue;
    }
    if (!takesValue(arg)) return usage("unknown option " + arg);
    if (i + 1 >= argc) return usage("option " + arg + " needs a value");
    const std::string value = argv[++i];
    unsigned n = 0;
    auto count = [&](unsigned& field) {
      if (!number(value, n)) return false;
      field = n;
      return true;
    };
    bool ok = true;
    if (arg == "--link")
      link = value;
    else if (arg == "--eeprom")
      options.eepromFile = value;
    else if (arg == "--firmware-out")
      options.firmwareOut = value;
    else if (arg == "--baud")
      ok = count(options.baud);
    else if (arg == "--drop-answer")
      ok = count(options.dropAnswerTo);
    else if (arg == "--corrupt-page")
      ok = count(options.corruptPage);
    else if (arg == "--bad-header")
      ok = count(options.badHeaderPage);
    else if (arg == "--noise")
      ok = count(options.noiseBytes);
    else if (arg == "--hang-up-after")
      ok = count(options.hangUpAfter);
    else if (arg == "--split")
      ok = count(options.splitAnswers);
    else if (arg == "--misstore") {
      ok = number(value, n) && n < 2048;
      options.misstoreOffset = static_cast<int>(n);
    } else if (arg == "--flood") {
      using Flood = zorbel::sim::SimOptions::Flood;
      ok = value == "noise" || value == "start" || value == "ack";
      options.flood = value == "noise"   ? Flood::Noise
                      : value == "start" ? Flood::StartBytes
                                         : Flood::Acks;
    } else if (arg == "--wrong-page") {
      const auto colon = value.find(':');
      unsigned page = 0;
      ok = colon != std::string::npos && number(value.substr(0, colon), options.wrongPageAnswer) &&
           number(value.substr(colon + 1), page) && page <= 0xFFFF;
      options.wrongPageNumber = static_cast<std::uint16_t>(page);
    } else {
      return usage("unknown option " + arg);
    }
    if (!ok && arg == "--flood") return usage("--flood takes noise, start or ack");
    if (!ok && arg == "--misstore") return usage("--misstore takes an offset from 0 to 2047");
    if (!ok) return usage(arg + " takes a number" + (arg == "--wrong-page" ? " pair N:P" : ""));
  }

  // Signals are taken by sigtimedwait below; the serving thread inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  zorbel::sim::Simulator sim(options);
  sim.setVerbose(verbose);
  std::string error;
  if (!sim.start(error)) {
    std::cerr << "zorbel-sim: " << error << "\n";
    return 1;
  }
  std::unique_ptr<zorbel::link::SimulatorLink> published;
  if (!link.empty()) {
    published = zorbel::link::SimulatorLink::publish(link, sim.slavePath(), error);
    if (published)
      std::cerr << "zorbel-sim: " << link << " -> " << sim.slavePath() << "\n";
    else
      std::cerr << "zorbel-sim: " << error << "\n";
  }
  // Printed once the link is there, so that a script that reads it may use either.
  std::cout << sim.slavePath() << std::endl;

  const timespec tick{0, 100'000'000};
  while (!sim.hungUp()) {
    if (sigtimedwait(&signals, nullptr, &tick) > 0) break;
  }
  if (sim.hungUp()) std::cerr << "zorbel-sim: line hung up\n";
  sim.stop();

  published.reset();  // before the exit: the link goes with the simulator
  return 0;
}
