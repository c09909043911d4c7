// zorbelctl ports and the port doctor through the real program, on pseudo-terminals.
#include <pty.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "link/device_link.h"
#include "simulator.h"
#include "support/program_run.h"

namespace zorbel::link {
namespace {

TEST(PortCommands, PortsReportsAGivenPseudoTerminalAndAMissingPath) {
  sim::Simulator sim;
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  const auto run = test::runZorbelctl({"ports", sim.slavePath(), "/dev/ttyUSB-none"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, sim.slavePath() + "\tpseudo-terminal\tready\n/dev/ttyUSB-none\t\tmissing\n");
}

// The user a port refuses: an unprivileged one, which only root can become.
TEST(PortCommands, APortThePermissionsRefuseIsDiagnosedWithTheGroupFix) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run zorbelctl as an unprivileged user";
  sim::Simulator sim;
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  const auto run = test::runProgram({"setpriv", "--reuid=nobody", "--regid=nogroup",
                                     "--clear-groups", ZORBELCTL_PATH, "read", sim.slavePath()});
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_EQ(run.err.rfind("Serial port open error. Try to reconnect the device and reset "
                          "application.\n" +
                              sim.slavePath() + ": Permission denied\n" + sim.slavePath() +
                              " belongs to group ",
                          0),
            0u)
      << run.err;
  EXPECT_NE(run.err.find("You (nobody) are not in group"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("then log out and in again."), std::string::npos) << run.err;
}

// A pseudo-terminal nobody answers on.
class SilentLine {
 public:
  SilentLine() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("pty");
    path_ = name;
  }
  ~SilentLine() {
    ::close(master_);
    ::close(slave_);
  }
  SilentLine(const SilentLine&) = delete;
  SilentLine& operator=(const SilentLine&) = delete;
  const std::string& path() const { return path_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

TEST(PortCommands, FindNamesThePortWhereTheDeviceAnswers) {
  SilentLine silent;
  sim::Simulator sim;
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  const auto run = test::runZorbelctl({"find", silent.path(), sim.slavePath()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, sim.slavePath() + "\n");
  EXPECT_EQ(sim.frameCount(), 1u);  // one page read request, nothing more
}

TEST(PortCommands, FindLeavesAPortAnotherProgramHoldsAlone) {
  SilentLine silent;
  sim::Simulator sim;
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  DeviceLink holder;
  ASSERT_TRUE(holder.open(sim.slavePath()).ok());
  const auto run = test::runZorbelctl({"find", silent.path(), sim.slavePath()});
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(run.err, "No device answered on: " + silent.path() + ", " + sim.slavePath() + "\n");
  EXPECT_EQ(sim.frameCount(), 0u);
  holder.stopAndJoin();
}

}  // namespace
}  // namespace zorbel::link
