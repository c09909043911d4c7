// File faults: folders that are missing or in the way, a firmware file that
// vanishes after it was chosen, configuration files that are garbage, huge or
// repeat themselves, and writes that fail part-way. Whatever happens, the
// message says so and the file that was there before is exactly as it was.
#include <sys/stat.h>

#include <random>

#include "cfgfile/config_file.h"
#include "common/whole_file.h"
#include "support/fault_support.h"
#include "update/firmware.h"
#include "update/remote_update.h"

namespace zorbel::faults {
namespace {

namespace fs = std::filesystem;

std::string startupFile() {
  const Result<std::string> bytes = cfgfile::composeConfigFile(modelWith("NOCALL"), {});
  if (!bytes.ok()) throw std::runtime_error("save failed");
  return bytes.value();
}

std::string showOf(const TempDir& dir, const std::vector<std::string>& options) {
  std::vector<std::string> args = options;
  args.push_back("show");
  const ProgramRun run = zorbelctl(args, dir);
  if (run.status != 0) throw std::runtime_error("show failed: " + run.err);
  return run.out;
}

std::string valueIn(const std::string& show, const std::string& name) {
  const std::string text = "\n" + show;
  const auto at = text.find("\n" + name + "=");
  if (at == std::string::npos) return "(missing)";
  const auto begin = at + name.size() + 2;
  return text.substr(begin, text.find('\n', begin) - begin);
}

// --- where the output goes

TEST(FileFaults, EveryWriterRefusesAMissingFolderOrADirectoryAndLeavesThemAlone) {
  TempDir dir;
  const std::string firmware = dir.write("fw.hash", pattern(500, 1));
  fs::create_directory(dir.path("taken"));
  dir.write("taken/inside", std::string("keep"));

  struct Writer {
    std::string name;
    std::vector<std::string> args;  // the target is appended
    std::string message;
  };
  const std::vector<Writer> writers{
      {"save", {"save"}, "zorbelctl: Unable to write to "},
      {"encode", {"encode"}, "zorbelctl: Unable to write to "},
      {"ruf", {"ruf", firmware}, "Could not open destination file."},
  };
  for (const Writer& w : writers) {
    for (const std::string& target : {dir.path("no-such-folder/out"), dir.path("taken")}) {
      SCOPED_TRACE(w.name + " " + target);
      std::vector<std::string> args = w.args;
      args.push_back(target);
      const ProgramRun run = zorbelctl(args, dir);
      EXPECT_EQ(run.status, 4) << run.err;
      EXPECT_EQ(run.err.rfind(w.message, 0), 0u) << run.err;
      EXPECT_FALSE(fs::exists(dir.path("no-such-folder")));
      EXPECT_TRUE(fs::is_directory(dir.path("taken")));
      EXPECT_EQ(readFile(dir.path("taken/inside")), "keep");
      outcome("zorbelctl " + w.name +
                  (target == dir.path("taken") ? " to a directory" : " into a missing folder"),
              "exit 4: \"" + firstLine(run.err) + "\"");
    }
  }
  // Nothing was left behind: no temporary files beside the targets.
  std::vector<std::string> expected{"fw.hash", "taken"};
  std::vector<std::string> entries;
  for (const auto& name : dir.entries())
    if (name.rfind("run", 0) != 0) entries.push_back(name);
  EXPECT_EQ(entries, expected);
}

// A file-size limit makes every write fail part-way (as a full disk would),
// whoever runs the tests: the old file must be exactly as it was.
TEST(FileFaults, AWriteThatFailsPartWayLeavesTheOldFileIntact) {
  TempDir dir;
  const std::string firmware = dir.write("fw.hash", pattern(3000, 2));
  const std::string oldCfg = "[Radio]\r\nCallsign=OLD1\r\n; the user's own note\r\n";
  const std::string oldImage(2048, '\x5A');
  const std::string oldRuf = "an older remote update file";
  struct Writer {
    std::string name;
    std::vector<std::string> args;
    std::string file;
    std::string old;
  };
  const std::vector<Writer> writers{
      {"save", {"--set", "Callsign=NEW2", "save"}, "old.cfg", oldCfg},
      {"encode", {"encode"}, "old.img", oldImage},
      {"ruf", {"ruf", firmware}, "old.ruf", oldRuf},
  };
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.name);
    const std::string path = dir.write(w.file, w.old);
    std::vector<std::string> args = w.args;
    args.push_back(path);
    // 2 blocks of 512 bytes: less than any of the three files.
    const ProgramRun run = zorbelctl(args, dir, "trap '' XFSZ; ulimit -f 2;");
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(path), w.old);
    outcome(
        "zorbelctl " + w.name + " over an existing file, write fails part-way (file size limit)",
        "exit 4: \"" + firstLine(run.err) + "\"; old file byte-identical");

    // Without the limit the same command replaces the file.
    const ProgramRun again = zorbelctl(args, dir);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(readFile(path), w.old);
  }
  // The failed attempts left no temporary files behind.
  for (const auto& name : dir.entries()) EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;

  // A save stopped by a value that does not convert writes nothing either.
  const std::string cfg = dir.write("conv.cfg", oldCfg);
  const ProgramRun run = zorbelctl({"--set", "Txdelay=25O", "save", cfg}, dir);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "'25O' is not a valid integer value\n");
  EXPECT_EQ(readFile(cfg), oldCfg);
}

// --- the firmware file

TEST(FileFaults, AFirmwareFileThatVanishesAfterItWasChosenChangesNothing) {
  TempDir dir;
  const Bytes loadedBytes = pattern(1000, 3);
  update::FirmwarePages firmware;
  ASSERT_TRUE(firmware.load(dir.write("a.hash", loadedBytes)).ok());

  // Chosen, then gone: removed, or replaced by a folder, before it is read.
  const std::string chosen = dir.write("b.hash", pattern(2000, 4));
  for (const bool folder : {false, true}) {
    fs::remove_all(chosen);
    if (folder) fs::create_directory(chosen);
    const auto result = firmware.load(chosen);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, ErrorKind::CannotRead);
    EXPECT_EQ(result.error().message, "File open error.");
    EXPECT_EQ(firmware.pageCount(), 8u);
    EXPECT_EQ(firmware.length(), loadedBytes.size());
    EXPECT_TRUE(std::equal(loadedBytes.begin(), loadedBytes.end(), firmware.data()));

    const auto ruf = update::buildRemoteUpdateFile(encoded("DL1RUF"), chosen,
                                                   dir.write("out.ruf", std::string("old")));
    ASSERT_FALSE(ruf.ok());
    EXPECT_EQ(ruf.error().message, "Could not open firmware file");
    EXPECT_EQ(readFile(dir.path("out.ruf")), "old");
  }
  outcome("firmware file removed (or replaced by a folder) after it was chosen",
          "\"File open error.\"; buffer, page count and transfer request unchanged; ruf: \"Could "
          "not open firmware file\"");

  // Through zorbelctl: the message, and not one byte to the device.
  sim::Simulator sim;
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  fs::remove_all(chosen);
  const ProgramRun run = zorbelctl({"upload", sim.slavePath(), chosen}, dir);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(firstLine(run.err), "File open error. (" + chosen + ": No such file or directory)");
  EXPECT_EQ(sim.bytesReceived(), 0u);
  const ProgramRun ok = zorbelctl({"upload", sim.slavePath(), dir.path("a.hash")}, dir);
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(sim.firmware(), uploaded(loadedBytes));
}

// --- inputs that are not files at all

TEST(FileFaults, InputsThatAreNotPlainFilesAreRefusedNotReadForEver) {
  TempDir dir;
  fs::create_directory(dir.path("folder"));
  const std::string tooLong = dir.write("long.img", std::string(4096, '\0'));
  sim::Simulator sim;
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  const std::string out = dir.write("out.ruf", std::string("old"));
  // A named pipe nobody writes to would hold a blocking open for ever.
  const std::string pipe = dir.path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases{
      {{"--image", "/dev/zero", "show"}, "zorbelctl: cannot open /dev/zero: not a regular file"},
      {{"--image", dir.path("folder"), "show"},
       "zorbelctl: cannot open " + dir.path("folder") + ": not a regular file"},
      {{"--image", tooLong, "show"},
       "zorbelctl: " + tooLong + " holds more than 2048 bytes, not a 2048-byte image"},
      {{"--config", "/dev/zero", "show"},
       "zorbelctl: Unable to read from /dev/zero: not a regular file"},
      {{"upload", sim.slavePath(), "/dev/zero"},
       "File open error. (/dev/zero: not a regular file)"},
      {{"ruf", "/dev/zero", out}, "Could not open firmware file (not a regular file)"},
      {{"--config", pipe, "show"},
       "zorbelctl: Unable to read from " + pipe + ": not a regular file"},
      {{"upload", sim.slavePath(), pipe}, "File open error. (" + pipe + ": not a regular file)"},
      {{"ruf", pipe, out}, "Could not open firmware file (not a regular file)"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = zorbelctl(c.args, dir);
    ASSERT_FALSE(run.hung) << c.args[1];
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(firstLine(run.err), c.message);
  }
  EXPECT_EQ(sim.bytesReceived(), 0u);
  EXPECT_EQ(readFile(out), "old");
  outcome("a device (/dev/zero) or a folder given as image, configuration or firmware file",
          "exit 4 at once with \"... not a regular file\"; nothing read, sent or written");
}

// A file of /proc says it is empty however much it holds.
TEST(FileFaults, AFileThatReportsSizeZeroIsReadToItsEnd) {
  struct stat st {};
  ASSERT_EQ(::stat("/proc/self/status", &st), 0);
  ASSERT_EQ(st.st_size, 0);
  const auto status = readWholeFile("/proc/self/status", std::size_t{1} << 20);
  ASSERT_TRUE(status.ok()) << status.error().reason;
  EXPECT_EQ(std::string(status.value().begin(), status.value().end()).rfind("Name:\t", 0), 0u);
  EXPECT_EQ(readWholeFile("/proc/self/status", 16).error().kind, ErrorKind::TooLong);

  // It has no [Radio] section and no version: imported as such, with the message.
  settings::SettingsModel model(kNow);
  const auto imported = cfgfile::importConfigFile(model, "/proc/self/status");
  ASSERT_TRUE(imported.ok());
  EXPECT_EQ(imported.value().versionMessage, cfgfile::fileVersionMismatchMessage());
  outcome("a /proc file (size 0) as a configuration file or an input",
          "read to its end; imported with the version message");
}

// --- configuration files that are not what they should be

TEST(FileFaults, AConfigurationFileOfBinaryGarbageGivesTheLoadDefaultsAndIsKeptOnSave) {
  TempDir dir;
  std::mt19937 random(7);
  std::string garbage(64 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
  // Not a single bracket or equals sign survives as a header or key of ours.
  const std::string path = dir.write("garbage.cfg", garbage);

  settings::SettingsModel imported = modelWith("DL9XYZ");
  const auto result = cfgfile::importConfigFile(imported, path);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value().versionMessage, cfgfile::fileVersionMismatchMessage());
  settings::SettingsModel defaults = modelWith("DL9XYZ");
  EXPECT_TRUE(cfgfile::importConfigBytes(defaults, {}));
  EXPECT_TRUE(imported == defaults);

  const ProgramRun run = zorbelctl({"--config", path, "show"}, dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(valueIn(run.out, "Callsign"), "NOCALL");
  EXPECT_EQ(run.err.rfind("Imported configuration file version is different", 0), 0u) << run.err;

  // Saving over it keeps every byte of it and adds ours after it.
  ASSERT_EQ(zorbelctl({"--set", "Callsign=SV1SAV", "save", path}, dir).status, 0);
  const std::string saved = readFile(path);
  EXPECT_EQ(saved.substr(0, garbage.size()), garbage);
  EXPECT_EQ(valueIn(showOf(dir, {"--config", path}), "Callsign"), "SV1SAV");
  outcome("configuration file of 64 KiB binary garbage",
          "import gives the load defaults and the version message; a save keeps the garbage byte "
          "for byte");
}

TEST(FileFaults, AConfigurationFileOfAHundredThousandLinesImportsAndSaves) {
  TempDir dir;
  std::string big = startupFile();
  big.replace(big.find("Callsign=NOCALL"), 15, "Callsign=HB9BIG");
  std::string extra = "[Notes]\r\n";
  for (int i = 0; i < 100000; ++i)
    extra += "note" + std::to_string(i) + "=line " + std::to_string(i) + "\r\n";
  big = extra + big;  // the 100 000 foreign lines come before every section of ours
  const std::string path = dir.write("big.cfg", big);

  auto start = Clock::now();
  const ProgramRun run = zorbelctl({"--config", path, "show"}, dir);
  const double importMs = msSince(start);
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(valueIn(run.out, "Callsign"), "HB9BIG");
  EXPECT_EQ(run.err, "");

  start = Clock::now();
  EXPECT_EQ(zorbelctl({"--config", path, "--set", "Callsign=HB9NEW", "save", path}, dir).status, 0);
  const double saveMs = msSince(start);
  std::string expected = big;
  expected.replace(expected.find("Callsign=HB9BIG"), 15, "Callsign=HB9NEW");
  EXPECT_EQ(readFile(path), expected);
  outcome(
      "configuration file with 100 000 extra lines (" + std::to_string(big.size() / 1024) + " KiB)",
      "zorbelctl --config show " + std::to_string(static_cast<int>(importMs)) +
          " ms, save over it " + std::to_string(static_cast<int>(saveMs)) +
          " ms; every foreign line kept");
}

TEST(FileFaults, AOneMegabyteValueIsCutWhereTheReaderStopsAndNothingSpills) {
  TempDir dir;
  const std::string huge(1 << 20, 'W');
  std::string text = startupFile();
  const auto line = text.find("Beacon1_msg=");
  text.replace(line, text.find('\r', line) - line, "Beacon1_msg=" + huge);
  text += "[Mine]\r\nblob=" + huge + "\r\n";
  const std::string path = dir.write("huge.cfg", text);

  settings::SettingsModel model = modelWith("NOCALL");
  ASSERT_TRUE(cfgfile::importConfigFile(model, path).ok());
  EXPECT_EQ(model.text("Beacon1_msg"), std::string(2047, 'W'));
  EXPECT_EQ(model.text("Beacon2_msg"), "");

  // The encoder cuts the text to its field; the image stays whole.
  settings::Image image{};
  const auto encodedResult = settings::encodeSettings(model, image, kNow);
  if (encodedResult.ok()) {
    EXPECT_TRUE(link::checkReceivedImage(image));
    settings::SettingsModel back(kNow);
    ASSERT_TRUE(settings::decodeSettings(image, back).ok());
    EXPECT_EQ(back.text("Beacon2_msg"), "");
  }

  // Saving what was imported changes no byte: the long line reads as the
  // value it would get, so it stays, and the foreign megabyte is not ours.
  ProgramRun run = zorbelctl({"--config", path, "save", path}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(path), text);
  // A new value replaces the whole long line.
  run = zorbelctl({"--config", path, "--set", "Beacon1_msg=short", "save", path}, dir);
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string saved = readFile(path);
  EXPECT_NE(saved.find("\r\nBeacon1_msg=short\r\n"), std::string::npos);
  EXPECT_EQ(saved.size(), text.size() - huge.size() + 5);
  outcome("configuration file with a 1 MiB value",
          "value cut to 2047 characters on import; encode " +
              std::string(encodedResult.ok() ? "ok" : encodedResult.error().message) +
              "; a foreign 1 MiB value is kept on save");
}

TEST(FileFaults, RepeatedKeysAndSectionsReadAndWriteTheFirstOne) {
  TempDir dir;
  std::string text = startupFile();
  text.replace(text.find("Callsign=NOCALL"), 15, "Callsign=FIRST\r\nCallsign=SECOND");
  text += "[Radio]\r\nCallsign=THIRD\r\nTXdelay=999\r\n[radio]\r\nCallsign=FOURTH\r\n";
  const std::string path = dir.write("twice.cfg", text);

  EXPECT_EQ(valueIn(showOf(dir, {"--config", path}), "Callsign"), "FIRST");
  EXPECT_EQ(valueIn(showOf(dir, {"--config", path}), "Txdelay"),
            "250");  // the first [Radio] has TXdelay

  ASSERT_EQ(zorbelctl({"--config", path, "--set", "Callsign=NEW", "save", path}, dir).status, 0);
  std::string expected = text;
  expected.replace(expected.find("Callsign=FIRST"), 14, "Callsign=NEW");
  EXPECT_EQ(readFile(path), expected);
  EXPECT_EQ(valueIn(showOf(dir, {"--config", path}), "Callsign"), "NEW");
  outcome("configuration file with repeated keys and sections",
          "the first occurrence is read and rewritten; the repeats stay as they were");
}

}  // namespace
}  // namespace zorbel::faults
