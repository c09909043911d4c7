// zorbelctl and the signals that stop it, run as the real program on the
// simulator: a stop never waits behind output nobody reads, and a signal the
// user's shell set to be ignored (nohup) stays ignored.
#include <fcntl.h>
#include <sys/ioctl.h>

#include "support/fault_support.h"
#include "support/port_settings.h"

namespace zorbel::faults {
namespace {

using namespace std::chrono_literals;

using CtlSignals = SimulatorTest;

// `zorbelctl upload PORT FW | less`, with nobody reading, then SIGTERM.
TEST_F(CtlSignals, SigtermEndsAnUploadWhoseOutputNobodyReads) {
  startSim();
  const int line = test::openWithForeignSettings(port());
  ASSERT_GE(line, 0);

  // A pipe of one page: the full upload's log (about 80 KB) fills it and the
  // program's own buffers long before the upload is done.
  int pipe[2];
  ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
  ASSERT_EQ(::fcntl(pipe[1], F_SETPIPE_SZ, 4096), 4096);
  const std::string firmware = dir.write("big.hash", pattern(link::kFirmwareMaxBytes, 3));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string program = ZORBELCTL_PATH;
  std::vector<std::string> args{program, "upload", port(), firmware};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);

  // The pipe is full (a line more would not fit): the log is held up.
  EXPECT_TRUE(eventually([&] {
    int queued = 0;
    return ::ioctl(pipe[0], FIONREAD, &queued) == 0 && queued > 4096 - 40;
  }));
  const auto signalled = Clock::now();
  ::kill(pid, SIGTERM);
  int status = 0;
  const bool ended = eventually([&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
  const double ms = msSince(signalled);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  ::close(pipe[0]);
  ASSERT_TRUE(ended) << "zorbelctl went on after SIGTERM";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 143) << status;
  EXPECT_TRUE(test::foundAsLeft(line));
  ::close(line);
  outcome("zorbelctl upload with its output held in a full pipe, then SIGTERM",
          "exit 143 " + std::to_string(static_cast<int>(ms)) +
              " ms after the signal; the port's settings as found, released");
}

// `nohup zorbelctl upload PORT FW &`, then SIGHUP: the upload goes on (here it
// waits for an answer the device never sends, and ends with its time-out).
TEST_F(CtlSignals, AHangUpSignalIgnoredUnderNohupStaysIgnored) {
  sim::SimOptions options;
  options.dropAnswerTo = 1;
  startSim(options);
  const std::string trace = dir.path("trace");
  const std::string firmware = dir.write("fw.hash", pattern(1000, 5));
  // The signal comes once the command has sent its first page (its trace shows it).
  const std::string script = "(while [ ! -s '" + trace +
                             "' ]; do sleep 0.01; done; kill -HUP $$) & exec nohup '" +
                             ZORBELCTL_PATH + "' --timeout 1 --trace '" + trace + "' upload '" +
                             port() + "' '" + firmware + "'";
  const ProgramRun run = runProgram({"/bin/sh", "-c", script}, dir);
  ASSERT_FALSE(run.hung);
  EXPECT_EQ(run.status, 5) << run.err;
  EXPECT_EQ(run.err, "No answer from the device.\n");
  outcome("nohup zorbelctl upload, then SIGHUP", "ignored: the upload runs to its end");
}

}  // namespace
}  // namespace zorbel::faults
