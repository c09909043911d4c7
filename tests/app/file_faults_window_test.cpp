// Faults in files, met through the real windows: real files in a temporary
// folder, dialogs answered by script. A failed save or build leaves the file
// that was there as it was; a refused input is never read.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class FileFaults : public WindowTest {
 protected:
  QString path(const QString& name) const { return dir.filePath(name); }
  void writeBytes(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  QByteArray readBytes(const QString& name) const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // Nothing but the named files: no temporary file left behind by a failed write.
  QStringList folder() const {
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  }

  // "Save to file" and "Read from file" to `name`; `message`, when given, is the box that must
  // follow.
  void save(const QString& name, const QString& message = {}) {
    dialogs.expectFile(names::kConfigSaveDialog, path(name));
    if (QFileInfo(path(name)).isFile()) {
      dialogs.expectQuestion(name + " already exists.\nDo you want to replace it?", true);
    }
    if (!message.isEmpty()) dialogs.expectMessage(message, "Zorbel Configurator");
    trigger(names::kSaveToFileAction);
  }
  void load(const QString& name, const QString& message = {}) {
    dialogs.expectFile(names::kConfigOpenDialog, path(name));
    if (!message.isEmpty()) dialogs.expectMessage(message);
    trigger(names::kReadFromFileAction);
  }

  QTemporaryDir dir;
};

const QString kVersionMessage =
    "Imported configuration file version is different than your current application version. \n"
    "Please double-check configuration fields after import. \n"
    "Some configuration fields my change between firmware versions.";
// The header as a save writes it, so that a save over a file leaves it alone.
const QByteArray kHeader =
    "[!WARNING]\r\n"
    "WARNING=Please do not try to modify this file. It should be managed with Zorbel configurator "
    "program.\r\n"
    "Application=ZORBEL Configurator\r\nVersion=v1.32\r\n";

TEST_F(FileFaults, MissingTargetFolderIsReportedAndNothingIsCreated) {
  const QString target = path("gone/z.cfg");
  save("gone/z.cfg", "Unable to write to " + target);
  EXPECT_EQ(dialogs.messages.back().icon, UserDialogs::Icon::Error);
  EXPECT_EQ(dialogs.messages.back().details, "No such file or directory");

  writeBytes("fw.hash", firmwareBytes(300, 1));
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, path("fw.hash"));
  dialogs.expectFile(names::kRemoteSaveDialog, path("gone/u.ruf"));
  dialogs.expectMessage("Could not open destination file.", "File open error");
  trigger(names::kBuildRemoteUpdateFileAction);
  EXPECT_EQ(dialogs.messages.back().details, "No such file or directory");
  EXPECT_EQ(folder(), QStringList{"fw.hash"});
}

TEST_F(FileFaults, TargetThatIsAFolderIsRefusedAndKeepsItsContent) {
  ASSERT_TRUE(QDir(dir.path()).mkpath("box.cfg"));
  writeBytes("box.cfg/inside", "kept");
  save("box.cfg", "Unable to write to " + path("box.cfg"));
  EXPECT_EQ(dialogs.messages.back().details, "Is a directory");

  type("Callsign", "MINE");
  discardEdits();
  load("box.cfg", "Unable to read from " + path("box.cfg"));
  EXPECT_EQ(text("Callsign"), "MINE");

  openPort(startSim());  // Upload firmware needs a port
  dialogs.expectFile(names::kFirmwareDialog, path("box.cfg"));
  dialogs.expectMessage("File open error.", "File open error");
  click(names::kUploadFirmwareButton);
  EXPECT_EQ(progressBar()->maximum(), 100) << "a refused load starts no upload";

  writeBytes("fw.hash", firmwareBytes(300, 1));
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, path("fw.hash"));
  dialogs.expectFile(names::kRemoteSaveDialog, path("box.cfg"));
  dialogs.expectMessage("Could not open destination file.", "File open error");
  trigger(names::kBuildRemoteUpdateFileAction);
  EXPECT_EQ(dialogs.messages.back().details, "Is a directory");
  EXPECT_TRUE(QFileInfo(path("box.cfg")).isDir());
  EXPECT_EQ(readBytes("box.cfg/inside"), "kept");
  EXPECT_EQ(folder(), (QStringList{"box.cfg", "fw.hash"}));
}

// While it lives, no file of this process can grow past `bytes`: writes past
// that fail with "File too large", as they would on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &signal_);
    ::getrlimit(RLIMIT_FSIZE, &limit_);
    rlimit lower = limit_;
    lower.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &limit_);
    ::sigaction(SIGXFSZ, &signal_, nullptr);
  }

 private:
  rlimit limit_{};
  struct sigaction signal_ {};
};

// A write that fails half-way leaves the old file as it was and no temporary
// file beside it.
TEST_F(FileFaults, FailedWriteLeavesTheOldFileIntact) {
  save("old.cfg");
  const QByteArray oldConfig = readBytes("old.cfg");
  ASSERT_GT(oldConfig.size(), 4096);
  writeBytes("fw.hash", firmwareBytes(5000, 2));
  writeBytes("old.ruf", "an older remote update file");
  type("Callsign", "NEWER");
  {
    const FileSizeLimit full(2048);
    dialogs.expectFile(names::kConfigSaveDialog, path("old.cfg"));
    dialogs.expectQuestion("old.cfg already exists.\nDo you want to replace it?", true);
    dialogs.expectMessage("Unable to write to " + path("old.cfg"), "Zorbel Configurator");
    trigger(names::kSaveToFileAction);
    acceptDevelopmentKey();
    dialogs.expectFile(names::kRemoteFirmwareDialog, path("fw.hash"));
    dialogs.expectFile(names::kRemoteSaveDialog, path("old.ruf"));
    dialogs.expectMessage("Could not write the remote update file.", "File open error");
    trigger(names::kBuildRemoteUpdateFileAction);
  }
  ASSERT_EQ(dialogs.messages.size(), 2U);
  EXPECT_EQ(dialogs.messages[0].details, "File too large");
  EXPECT_EQ(dialogs.messages[1].details, "File too large");
  EXPECT_EQ(readBytes("old.cfg"), oldConfig);
  EXPECT_EQ(readBytes("old.ruf"), "an older remote update file");
  EXPECT_EQ(folder(), (QStringList{"fw.hash", "old.cfg", "old.ruf"}));

  // A file far too long to be a configuration file is neither read nor replaced.
  QFile huge(path("huge.cfg"));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(20 << 20));
  huge.close();
  discardEdits();
  load("huge.cfg", "Unable to read from " + path("huge.cfg"));
  EXPECT_EQ(text("Callsign"), "NEWER");
  save("huge.cfg", "Unable to write to " + path("huge.cfg"));
  EXPECT_EQ(dialogs.messages.back().details, "the file is too long for a configuration file");
  EXPECT_EQ(QFileInfo(path("huge.cfg")).size(), 20 << 20);
}

TEST_F(FileFaults, RemoteUpdateFirmwareVanishingAfterItsDialogLeavesTheOldFile) {
  writeBytes("fw.hash", firmwareBytes(300, 1));
  writeBytes("old.ruf", "an older remote update file");
  const auto vanish = [this] { QFile::remove(path("fw.hash")); };
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, path("fw.hash"), vanish);
  dialogs.expectMessage("Could not open firmware file", "File open error");
  trigger(names::kBuildRemoteUpdateFileAction);

  writeBytes("fw.hash", firmwareBytes(300, 1));
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, path("fw.hash"));
  dialogs.expectFile(names::kRemoteSaveDialog, path("old.ruf"), vanish);
  dialogs.expectMessage("Could not open firmware file", "File open error");
  trigger(names::kBuildRemoteUpdateFileAction);
  EXPECT_EQ(dialogs.messages.back().details, "No such file or directory");
  EXPECT_EQ(readBytes("old.ruf"), "an older remote update file");
  EXPECT_EQ(folder(), QStringList{"old.ruf"});
}

// A named pipe chosen in a dialog would hold the window in open() until some
// other program writes to it. `other` plays that program: when it gets the
// pipe open, the window had opened it.
class PipeWriter {
 public:
  explicit PipeWriter(const QString& fifo) : path_(QFile::encodeName(fifo).toStdString()) {
    thread_ = std::thread([this] {
      while (!stop_.load()) {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
          opened_.store(true);
          ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  ~PipeWriter() {
    stop_.store(true);
    thread_.join();
  }
  bool windowOpenedThePipe() const { return opened_.load(); }

 private:
  std::string path_;
  std::atomic<bool> stop_{false}, opened_{false};
  std::thread thread_;
};

TEST_F(FileFaults, NamedPipeIsRefusedWithoutBeingOpened) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.cfg")).constData(), 0600), 0);
  PipeWriter other(path("pipe.cfg"));

  openPort(startSim());  // Upload firmware needs a port
  dialogs.expectFile(names::kFirmwareDialog, path("pipe.cfg"));
  dialogs.expectMessage("File open error.", "File open error");
  click(names::kUploadFirmwareButton);
  EXPECT_EQ(dialogs.messages.back().details, "not a regular file");

  type("Callsign", "MINE");
  discardEdits();
  load("pipe.cfg", "Unable to read from " + path("pipe.cfg"));
  EXPECT_EQ(dialogs.messages.back().details, "not a regular file");
  EXPECT_EQ(text("Callsign"), "MINE");

  save("pipe.cfg", "Unable to write to " + path("pipe.cfg"));
  EXPECT_EQ(dialogs.messages.back().details, "not a regular file");

  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, path("pipe.cfg"));
  dialogs.expectMessage("Could not open firmware file", "File open error");
  trigger(names::kBuildRemoteUpdateFileAction);
  EXPECT_FALSE(other.windowOpenedThePipe());
  EXPECT_TRUE(QFileInfo(path("pipe.cfg")).exists());
}

// Binary garbage is no configuration file: it brings the version message, every
// setting takes its load default, and a save over it keeps the garbage.
TEST_F(FileFaults, BinaryGarbageImportsAsDefaultsAndSurvivesASave) {
  QByteArray garbage;
  std::uint32_t x = 12345;
  for (int i = 0; i < 64 * 1024; ++i) {
    x = x * 1103515245u + 12345u;
    garbage.append(static_cast<char>(x >> 23));
  }
  writeBytes("junk.cfg", garbage);
  type("Txdelay", "999");
  type("Callsign", "MINE");
  discardEdits();
  load("junk.cfg", kVersionMessage);
  EXPECT_EQ(text("Txdelay"), "250");
  EXPECT_EQ(text("Callsign"), "NOCALL");
  EXPECT_EQ(readBytes("junk.cfg"), garbage);

  type("Callsign", "SP1ABC");
  save("junk.cfg");
  const QByteArray saved = readBytes("junk.cfg");
  EXPECT_TRUE(saved.startsWith(garbage.left(garbage.lastIndexOf('\n') + 1)));
  type("Callsign", "OTHER");
  discardEdits();
  load("junk.cfg");
  EXPECT_EQ(text("Callsign"), "SP1ABC");

  // Control bytes inside a value reach the control as they are, up to a NUL byte,
  // which ends the value; the encoder refuses them.
  const QByteArray odd("ab\x01\x7F\xFF", 5);
  writeBytes("ctl.cfg",
             kHeader + "[Beacons]\r\nBeacon1_msg=" + odd + QByteArray("\0cd", 3) + "\r\n");
  load("ctl.cfg");
  EXPECT_EQ(text("Beacon1_msg"), QString::fromLatin1(odd));
  save("ctl2.cfg");
  EXPECT_TRUE(readBytes("ctl2.cfg").contains("\r\nBeacon1_msg=" + odd + "\r\n"));
  openPort(startSim());  // Write config needs a port
  dialogs.expectMessage("Beacon 1 message - forbidden characters.", "Information");
  click(names::kWriteConfigButton);
}

TEST_F(FileFaults, HundredThousandLinesImportAndSaveWhole) {
  QByteArray big = kHeader + "[Radio]\r\n";
  for (int i = 0; i < 100000; ++i) {
    big += "Unknown" + QByteArray::number(i) + "=value " + QByteArray::number(i) + "\r\n";
  }
  big += "TXdelay=300\r\nCallsign=SP1ABC\r\n";
  writeBytes("big.cfg", big);
  QElapsedTimer timer;
  timer.start();
  load("big.cfg");
  const qint64 loadMs = timer.restart();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(text("Callsign"), "SP1ABC");
  EXPECT_EQ(text("Txdelay"), "300");

  type("Callsign", "SP2XYZ");
  save("big.cfg");
  std::printf("[ figure   ] 100000-line file: read %lld ms, saved over %lld ms\n",
              static_cast<long long>(loadMs), static_cast<long long>(timer.elapsed()));
  const QByteArray saved = readBytes("big.cfg");
  // Every line stays where it was; only our values change or join.
  EXPECT_TRUE(saved.startsWith(big.left(big.indexOf("Callsign=SP1ABC")) + "Callsign=SP2XYZ\r\n"));
  EXPECT_EQ(saved.count("\r\nUnknown"), 100000);
}

TEST_F(FileFaults, MegabyteValueIsCutForTheControlAndKeptInTheFile) {
  const QByteArray huge(1 << 20, 'A');
  const QByteArray file =
      kHeader + "[Beacons]\r\nBeacon2_msg=" + huge + "\r\nNotOurs=" + huge + "\r\n";
  writeBytes("mb.cfg", file);
  load("mb.cfg");
  EXPECT_EQ(edit("Beacon2_msg")->toolTip(), "Beacon2_msg: at most 65 characters");
  // As much as a profile read gives: the first 2047 characters.
  EXPECT_EQ(text("Beacon2_msg"), QString(2047, 'A'));

  // Saved unchanged, the control still reads as the file does: no line changes.
  save("mb.cfg");
  EXPECT_TRUE(readBytes("mb.cfg").startsWith(file));
  type("Beacon2_msg", "short");
  save("mb.cfg");
  const QByteArray saved = readBytes("mb.cfg");
  EXPECT_TRUE(saved.contains("[Beacons]\r\nBeacon2_msg=short\r\nNotOurs=" + huge + "\r\n"));
  load("mb.cfg");
  EXPECT_EQ(text("Beacon2_msg"), "short");
}

TEST_F(FileFaults, DuplicatedKeysAndSectionsTakeTheFirstAndKeepTheRest) {
  writeBytes("dup.cfg", kHeader +
                            "[Radio]\r\nCallsign=FIRST\r\nCallsign=SECOND\r\nTXdelay=300\r\n"
                            "[radio]\r\nCallsign=THIRD\r\nQuiettime=500\r\n"
                            "[!WARNING]\r\nVersion=v0.01\r\n");
  load("dup.cfg");
  EXPECT_TRUE(dialogs.messages.empty()) << "the first version key counts";
  EXPECT_EQ(text("Callsign"), "FIRST");
  EXPECT_EQ(text("Txdelay"), "300");
  EXPECT_EQ(text("Quiettime"), "400") << "a key only in the repeated section is not read";

  type("Callsign", "NEW");
  save("dup.cfg");
  const QByteArray saved = readBytes("dup.cfg");
  EXPECT_TRUE(saved.contains("[Radio]\r\nCallsign=NEW\r\nCallsign=SECOND\r\nTXdelay=300\r\n"));
  EXPECT_TRUE(saved.contains("[radio]\r\nCallsign=THIRD\r\nQuiettime=500\r\n"));
  EXPECT_TRUE(saved.contains("[!WARNING]\r\nVersion=v0.01\r\n"));
  type("Callsign", "OTHER");
  discardEdits();
  load("dup.cfg");
  EXPECT_EQ(text("Callsign"), "NEW");
}

}  // namespace
}  // namespace zorbel::app::test_support
