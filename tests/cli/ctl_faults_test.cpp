// Faults on the line, through zorbelctl run as the real program: each fault
// ends the command with its exit status and the log lines that say why,
// within the command's time-out, and running the command again on a working
// line puts the right bytes on the device.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>

#include <regex>
#include <sstream>

#include "link/simulator_link.h"
#include "support/fault_support.h"

namespace zorbel::faults {
namespace {

using namespace std::chrono_literals;

// zorbelctl options for the settings modelWith(callsign) holds, clock included,
// so that the device's image can be compared with encoded(callsign).
std::vector<std::string> settingsArgs(const std::string& callsign) {
  return {"--set", "Uploadpctime=0",      "--set", "Rtcyear=2023", "--set", "Rtcmonth=11",
          "--set", "Rtcday=14",           "--set", "Rtchour=22",   "--set", "Rtcmin=13",
          "--set", "Callsign=" + callsign};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string describe(const ProgramRun& run) {
  return "exit " + std::to_string(run.status) + " after " +
         std::to_string(static_cast<int>(run.ms)) + " ms";
}

class CtlFaults : public SimulatorTest {
 protected:
  // A clean write, read and upload on the simulator now serving.
  void cleanTransfersComplete(const std::string& fault) {
    ProgramRun run =
        zorbelctl(settingsArgs("DK9CLN") + std::vector<std::string>{"write", port()}, dir);
    ASSERT_FALSE(run.hung) << fault;
    EXPECT_EQ(run.status, 0) << fault << "\n" << run.err;
    EXPECT_EQ(run.out, joined(writeSequence())) << fault;
    EXPECT_TRUE(sameSettings(sim->eeprom(), encoded("DK9CLN"))) << fault;

    run = zorbelctl({"read", port()}, dir);
    EXPECT_EQ(run.status, 0) << fault << "\n" << run.err;
    EXPECT_NE(run.out.find("\nCallsign=DK9CLN\n"), std::string::npos) << fault;

    const Bytes firmware = pattern(333, 9);
    run = zorbelctl({"upload", port(), dir.write("clean.hash", firmware)}, dir);
    EXPECT_EQ(run.status, 0) << fault << "\n" << run.err;
    EXPECT_EQ(run.out, joined(firmwareSequence(3))) << fault;
    EXPECT_TRUE(holdsUpload(*sim, firmware)) << fault;
  }
};

TEST_F(CtlFaults, NoiseBurstsChangeNothingInWhatTheCommandsDo) {
  sim::SimOptions options;
  options.noiseBytes = 60;
  options.splitAnswers = 7;
  startSim(options);
  cleanTransfersComplete("noise");
  outcome("zorbelctl under noise bursts", "write, read and upload exit 0 with the normal log");
}

TEST_F(CtlFaults, AnUnansweredTransferEndsAfterTheTimeOutAndRunningItAgainCompletes) {
  struct Case {
    std::string name;
    unsigned dropped;
    std::vector<std::string> args;
    std::string lastLine;
  };
  const std::string firmware = dir.write("fw.hash", pattern(1500, 4));
  const std::vector<Case> cases{
      {"write", 4, settingsArgs("DL1DRP") + std::vector<std::string>{"write"},
       "Eeprom page sent [3]."},
      {"read", 6, {"read"}, "Eeprom read request, page [5]."},
      {"upload", 9, {"upload"}, "Firmware page sent [8]."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimOptions options;
    options.dropAnswerTo = c.dropped;
    startSim(options);
    sim->setEeprom(encoded("OK1RDR"));
    std::vector<std::string> args = c.args;
    args.push_back(port());
    if (c.name == "upload") args.push_back(firmware);

    ProgramRun run = zorbelctl(std::vector<std::string>{"--timeout", "0.4"} + args, dir);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 5) << run.err;
    EXPECT_EQ(test::withoutWarnings(run.err), "No answer from the device.\n");
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), c.lastLine + "\n")
        << run.out;
    outcome("zorbelctl " + c.name + " with answer " + std::to_string(c.dropped) +
                " dropped (--timeout 0.4)",
            "\"No answer from the device.\", " + describe(run));

    // The same command again, with the default time-out.
    run = zorbelctl(args, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    if (c.name == "write") {
      EXPECT_TRUE(sameSettings(sim->eeprom(), encoded("DL1DRP")));
    } else if (c.name == "read") {
      EXPECT_NE(run.out.find("\nCallsign=OK1RDR\n"), std::string::npos) << run.out.substr(0, 1500);
    } else {
      EXPECT_EQ(sim->firmware(), uploaded(pattern(1500, 4)));
    }
  }
}

TEST_F(CtlFaults, DamagedReadsExitSixWithTheirLineAndPrintNoSettings) {
  struct Case {
    std::string name;
    sim::SimOptions options;
    std::string line;
  };
  sim::SimOptions corrupt, moved, past;
  corrupt.corruptPage = 7;
  moved.wrongPageAnswer = 3;
  moved.wrongPageNumber = 12;
  past.wrongPageAnswer = 9;
  past.wrongPageNumber = 300;
  const std::vector<Case> cases{
      {"corrupted page 6", corrupt, "Eeprom page data checksum error."},
      {"page 2 answered as page 12", moved,
       "Eeprom read checksum error. Please upload new eeprom data to device."},
      {"page 8 answered as page 300", past, "Eeprom page number error [300]."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    startSim(c.options);
    sim->setEeprom(encoded("OK2CRP"));
    const ProgramRun run = zorbelctl({"read", port()}, dir);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 6) << run.err;
    EXPECT_NE(run.out.find(c.line + "\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Callsign="), std::string::npos);
    outcome("zorbelctl read, " + c.name, "\"" + c.line + "\", " + describe(run));
    cleanTransfersComplete(c.name);
  }
}

TEST_F(CtlFaults, AHangUpMidUploadExitsFourWithTheReason) {
  sim::SimOptions options;
  options.hangUpAfter = 6;
  startSim(options);
  const ProgramRun run = zorbelctl({"upload", port(), dir.write("fw.hash", pattern(4000, 2))}, dir);
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 4) << run.err;
  const std::string lost = "Serial port lost: " + port();
  const auto at = run.out.find(lost);
  ASSERT_NE(at, std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Send finished."), std::string::npos);
  outcome("zorbelctl upload, hang-up at the 6th frame",
          "\"" + firstLine(run.out.substr(at)) + "\", " + describe(run));

  startSim();
  cleanTransfersComplete("after a hang-up");
}

TEST_F(CtlFaults, APortHeldByAnotherProgramExitsFourUntilItIsFree) {
  startSim();
  Recorder rec;
  auto holder = std::make_unique<link::DeviceLink>(rec.callbacks());
  ASSERT_TRUE(holder->open(port()).ok());

  const ProgramRun run =
      zorbelctl(settingsArgs("DL3BSY") + std::vector<std::string>{"write", port()}, dir);
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(test::withoutWarnings(run.err).rfind(
                "Serial port open error. Try to reconnect the device and reset application.\n" +
                    port() + ": Device or resource busy\nAnother program holds the port",
                0),
            0u)
      << run.err;
  EXPECT_EQ(sim->frameCount(), 0u);
  outcome("zorbelctl write on a port another program holds",
          "exit 4: \"" + firstLine(test::withoutWarnings(run.err)) + "\" + \"" +
              firstLine(test::withoutWarnings(run.err).substr(
                  test::withoutWarnings(run.err).find('\n') + 1)) +
              "\" and a hint");
  holder->stopAndJoin();
  cleanTransfersComplete("port held by another program");
}

// A transfer cut short leaves the device's answer to its last page on the
// line; the next command must not take it for the answer to its own page 0.
TEST_F(CtlFaults, AnAnswerLeftByAnInterruptedTransferIsNeverTakenForTheNext) {
  sim::SimOptions options;
  options.baud = 9600;  // a page takes 140 ms on the line: a time-out of 50 ms cuts it short
  startSim(options);
  const std::string firmware = dir.write("fw.hash", pattern(300, 6));
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
      {"write", settingsArgs("DL1INT") + std::vector<std::string>{"write", port()}},
      {"upload", {"upload", port(), firmware}},
  };
  for (const auto& [name, args] : cases) {
    SCOPED_TRACE(name);
    ProgramRun run = zorbelctl(std::vector<std::string>{"--timeout", "0.05"} + args, dir);
    EXPECT_EQ(run.status, 5) << run.err;
    // The device answers the page it got after the command has gone.
    ASSERT_TRUE(eventually([&] {
      const std::size_t frames = sim->frameCount();
      return sim->idle() && sim->bytesSent() == 8 * frames;
    }));
    const std::size_t framesBefore = sim->frameCount();
    run = zorbelctl(args, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, joined(name == "write" ? writeSequence() : firmwareSequence(3)));
    // Every page was acknowledged before the command ended.
    EXPECT_EQ(sim->frameCount() - framesBefore, name == "write" ? 16u : 4u);
    outcome("zorbelctl " + name + " after one cut short (--timeout 0.05 at 9600 baud)",
            "the old answer is dropped; all pages sent and acknowledged, " + describe(run));
  }
  EXPECT_TRUE(sameSettings(sim->eeprom(), encoded("DL1INT")));
  EXPECT_TRUE(holdsUpload(*sim, pattern(300, 6)));
}

TEST_F(CtlFaults, AFloodingDeviceEndsTheCommandWithNoAnswer) {
  using Flood = sim::SimOptions::Flood;
  const std::vector<std::pair<std::string, Flood>> floods{
      {"noise", Flood::Noise}, {"start bytes", Flood::StartBytes}, {"acks", Flood::Acks}};
  for (const auto& [name, flood] : floods) {
    SCOPED_TRACE(name);
    sim::SimOptions options;
    options.flood = flood;
    options.dropAnswerTo = 1;  // the flood is all the device sends
    startSim(options);
    const ProgramRun run = zorbelctl({"--timeout", "0.5", "read", port()}, dir);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 5) << run.err;
    EXPECT_EQ(run.err, "No answer from the device.\n");
    EXPECT_EQ(run.out, joined(readSequence(1)));
    outcome("zorbelctl read, the device floods " + name,
            "\"No answer from the device.\", " + describe(run));
  }
}

TEST_F(CtlFaults, AFloodOfRejectedHeadersIsLoggedWithinLimitsAndTheCommandTimesOut) {
  sim::SimOptions options;
  options.flood = sim::SimOptions::Flood::BadHeaders;  // unthrottled: a rejected frame each 8 bytes
  options.dropAnswerTo = 1;                            // the flood is all the device sends
  startSim(options);
  const ProgramRun run = zorbelctl({"--timeout", "2", "read", port()}, dir);
  ASSERT_FALSE(run.hung) << "the flood kept the command alive";
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_EQ(run.err, "No answer from the device.\n");
  // The request and the first 20 rejected frames in full; after them, only counts.
  std::vector<std::string> full = readSequence(1);
  full.insert(full.end(), 20, "Eeprom frame checksum error.");
  const std::string head = joined(full);
  ASSERT_EQ(run.out.substr(0, head.size()), head);
  std::istringstream rest(run.out.substr(head.size()));
  int counts = 0;
  for (std::string line; std::getline(rest, line); ++counts)
    EXPECT_TRUE(std::regex_match(line, std::regex("[1-9][0-9]* more frames? rejected\\."))) << line;
  // One count a second at most (the first a second after the 21st frame), and
  // one more for what was counted when the worker stopped.
  EXPECT_LE(counts, static_cast<int>(run.ms / 1000) + 1);
  outcome("zorbelctl --timeout 2 read, the device floods rejected headers unthrottled",
          "20 lines, then " + std::to_string(counts) + " count lines; " + describe(run) + ", " +
              std::to_string(sim->bytesSent()) + " bytes flooded");
}

TEST_F(CtlFaults, ASignalClosesThePortAsItWasFound) {
  for (const auto& [signal, status] :
       std::vector<std::pair<std::string, int>>{{"INT", 130}, {"TERM", 143}, {"HUP", 129}}) {
    SCOPED_TRACE(signal);
    sim::SimOptions options;
    options.dropAnswerTo = 1;  // the read waits
    startSim(options);
    // Settings zorbelctl would not choose, to see them come back.
    const int line = ::open(port().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(line, 0);
    termios found{};
    ASSERT_EQ(::tcgetattr(line, &found), 0);
    ::cfsetispeed(&found, B9600);
    ::cfsetospeed(&found, B9600);
    found.c_lflag |= ICANON;
    ASSERT_EQ(::tcsetattr(line, TCSANOW, &found), 0);
    const std::string trace = dir.path("trace-" + signal);
    // The signal comes once the command has sent its request (its trace shows it).
    const std::string script = "(while [ ! -s '" + trace + "' ]; do sleep 0.01; done; kill -" +
                               signal + " $$) & exec '" + ZORBELCTL_PATH + "' --trace '" + trace +
                               "' read '" + port() + "'";
    const ProgramRun run = runProgram({"/bin/sh", "-c", script}, dir);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, status) << run.err;
    termios after{};
    ASSERT_EQ(::tcgetattr(line, &after), 0);
    EXPECT_EQ(::cfgetispeed(&after), static_cast<speed_t>(B9600));
    EXPECT_NE(after.c_lflag & ICANON, 0u);
    ::close(line);
  }
  outcome("zorbelctl read stopped by SIGINT, SIGTERM, SIGHUP",
          "exit 130, 143, 129; the port's settings as found");
  startSim();
  cleanTransfersComplete("after a signal");
}

TEST_F(CtlFaults, ClosedStandardStreamsNeverReachThePort) {
  startSim();
  sim->setEeprom(encoded("OK8STD"));
  const std::string script =
      std::string("exec '") + ZORBELCTL_PATH + "' read '" + port() + "' <&- >&- 2>&-";
  const ProgramRun run = runProgram({"/bin/sh", "-c", script}, dir);
  EXPECT_EQ(run.status, 0);
  // Sixteen read requests and nothing else.
  EXPECT_EQ(sim->bytesReceived(), 16u * 8u);
  outcome("zorbelctl read with standard input, output and error closed",
          "only frames reach the port");
}

// Output that cannot go out is the user's side, never the device's: a full
// disk is reported, and a reader slower than --timeout does not end an upload
// as "No answer from the device." half-way.
TEST_F(CtlFaults, BlockedOrFailingOutputIsNoSilenceOfTheDevice) {
  startSim();
  sim->setEeprom(encoded("OK7OUT"));
  ProgramRun run =
      runProgram({"/bin/sh", "-c",
                  std::string("exec '") + ZORBELCTL_PATH + "' read '" + port() + "' >/dev/full"},
                 dir);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.err, "zorbelctl: cannot write to standard output: No space left on device\n");

  // A full-size upload logs about 100 KB: more than a pipe holds.
  const std::string firmware = dir.write("big.hash", pattern(237568, 9));
  const std::string status = dir.path("status");
  const std::string script = std::string("{ '") + ZORBELCTL_PATH + "' --timeout 0.3 upload '" +
                             port() + "' '" + firmware + "'; echo $? >'" + status +
                             "'; } | { sleep 2; cat >/dev/null; }";
  run = runProgram({"/bin/sh", "-c", script}, dir);
  EXPECT_EQ(readFile(status), "0\n") << run.err;
  EXPECT_EQ(sim->firmware(), uploaded(pattern(237568, 9)));
  outcome("zorbelctl with output to a full disk, and upload with output held 2 s",
          "exit 4 with the reason; the upload completes (exit 0)");
}

TEST_F(CtlFaults, TheTraceFileIsMadeOnlyForAnOpenPortAndItsFailuresAreReported) {
  startSim();
  sim->setEeprom(encoded("OK9TRC"));
  const std::string trace = dir.path("trace");
  ProgramRun run = zorbelctl({"--trace", trace, "read", "/dev/zorbel-no-such-port"}, dir);
  EXPECT_EQ(run.status, 4);
  EXPECT_FALSE(std::filesystem::exists(trace));
  std::ofstream(trace) << "an older trace";
  ::chmod(trace.c_str(), 0644);
  run = zorbelctl({"--trace", trace, "read", port()}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  struct stat st {};
  ASSERT_EQ(::stat(trace.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // A file-size limit of 512 bytes stands in for a full disk.
  run = runProgram({"/bin/sh", "-c",
                    "trap '' XFSZ; ulimit -f 1; exec '" + std::string(ZORBELCTL_PATH) +
                        "' --no-backup --trace '" + trace + "' read '" + port() + "' >/dev/null"},
                   dir);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.err, "zorbelctl: cannot write " + trace + ": File too large\n");
  outcome("zorbelctl --trace to a file that cannot grow", "exit 4: \"" + firstLine(run.err) + "\"");
}

// The trace is an output like any other: never one of the command's inputs,
// never a pipe, a device or a folder, and a refusal comes before the port is
// opened, so the device hears nothing.
TEST_F(CtlFaults, ATraceThatIsAnInputAPipeOrAFolderIsRefusedAndNothingIsSent) {
  startSim();
  sim->setEeprom(encoded("OK9INP"));
  const Bytes firmwareBytes = pattern(700, 3);
  const std::string firmware = dir.write("fw.hash", firmwareBytes);
  const std::string configText = "[!WARNING]\r\nVersion=v1.32\r\n[Radio]\r\nCallsign=DL1CFG\r\n";
  const std::string config = dir.write("a.cfg", configText);
  const settings::Image image = encoded("DL1IMG");
  const std::string imageFile = dir.write("a.img", std::string(image.begin(), image.end()));
  std::filesystem::create_symlink(config, dir.path("link.cfg"));
  const std::string pipe = dir.path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    std::string reason;
  };
  const std::vector<Case> cases{
      {{"--trace", firmware, "upload", port(), firmware}, "it is the input " + firmware},
      {{"--config", config, "--trace", dir.path("link.cfg"), "write", port()},
       "it is the input " + config},
      {{"--trace", imageFile, "--image", imageFile, "read", port()},
       "it is the input " + imageFile},
      {{"--trace", pipe, "read", port()}, "not a regular file"},
      {{"--trace", "/dev/null", "read", port()}, "not a regular file"},
      {{"--trace", dir.path(), "read", port()}, "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    const ProgramRun run = zorbelctl(c.args, dir);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 4) << run.err;
    const std::string& trace = c.args[c.args[0] == "--trace" ? 1 : 3];
    EXPECT_EQ(test::withoutWarnings(run.err),
              "zorbelctl: cannot write " + trace + ": " + c.reason + "\n");
  }
  EXPECT_EQ(sim->bytesReceived(), 0u);
  EXPECT_EQ(readFile(firmware), std::string(firmwareBytes.begin(), firmwareBytes.end()));
  EXPECT_EQ(readFile(config), configText);
  EXPECT_EQ(readFile(imageFile), std::string(image.begin(), image.end()));
  outcome(
      "zorbelctl --trace naming the firmware, the --config (through a link) or --image file,"
      " a named pipe, /dev/null or a folder",
      "exit 4 at once, \"cannot write ...\" with the reason; inputs unchanged, nothing sent");
}

TEST(SimulatorProgram, AnUnknownOptionIsNamedAsSuch) {
  ProgramRun run = test::runProgram({ZORBEL_SIM_PATH, "--bogus"});
  EXPECT_EQ(run.status, 64);
  EXPECT_EQ(firstLine(run.err), "zorbel-sim: unknown option --bogus");
  run = test::runProgram({ZORBEL_SIM_PATH, "--link"});
  EXPECT_EQ(run.status, 64);
  EXPECT_EQ(firstLine(run.err), "zorbel-sim: option --link needs a value");
}

// The simulator as its own program, with its fault switch on the command line
// and its memory in a file: what a user reproducing a report would run.
TEST_F(CtlFaults, TheSimulatorProgramsFaultSwitchesWorkFromItsCommandLine) {
  const std::string eeprom = dir.path("eeprom.bin");
  const std::string simLink = dir.path("sim-link");
  test::RunningProgram simProgram(
      {ZORBEL_SIM_PATH, "--link", simLink, "--eeprom", eeprom, "--drop-answer", "3"});
  std::string path;
  const auto start = Clock::now();
  while (path.empty() && Clock::now() - start < 10s) {
    const std::string printed = simProgram.output();
    if (printed.find('\n') != std::string::npos) path = firstLine(printed);
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_FALSE(path.empty()) << "zorbel-sim printed no terminal";
  // The link is made before the path is printed, and held while it serves.
  EXPECT_TRUE(link::SimulatorLink::held(simLink));
  EXPECT_EQ(std::filesystem::read_symlink(simLink), path);

  ProgramRun run = zorbelctl(
      {"--timeout", "0.4", "--set", "Uploadpctime=0", "--set", "Callsign=DF1SIM", "write", path},
      dir);
  EXPECT_EQ(run.status, 5) << run.err;
  run = zorbelctl({"--set", "Uploadpctime=0", "--set", "Callsign=DF1SIM", "write", path}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  run = zorbelctl({"read", path}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\nCallsign=DF1SIM\n"), std::string::npos);

  const int status = simProgram.stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status)) << status;
  EXPECT_FALSE(link::SimulatorLink::held(simLink));
  EXPECT_FALSE(std::filesystem::is_symlink(simLink));
  // The memory the simulator kept on disk decodes to what was written.
  const std::string bytes = readFile(eeprom);
  ASSERT_EQ(bytes.size(), settings::kImageSize);
  settings::Image image{};
  std::copy(bytes.begin(), bytes.end(), image.begin());
  settings::SettingsModel model(kNow);
  ASSERT_TRUE(settings::decodeSettings(image, model).ok());
  EXPECT_EQ(model.text("Callsign"), "DF1SIM");
  outcome("zorbel-sim --drop-answer 3 as a program",
          "zorbelctl write exits 5, the next write 0; memory file holds it");
}

}  // namespace
}  // namespace zorbel::faults
