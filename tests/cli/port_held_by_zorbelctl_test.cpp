// The device link refuses a port that zorbelctl, run as the real program,
// holds, names the program in its hint, and opens the port once it is free.
#include <thread>

#include "support/link_fault_fixture.h"

namespace zorbel::faults {
namespace {

using LinkFaults = LinkFaultTest;

TEST_F(LinkFaults, APortHeldByAnotherProgramIsRefusedUntilItLetsGo) {
  sim::SimOptions options;
  options.dropAnswerTo = 1;  // the other program's read gets no answer and holds on
  startSim(options);
  const settings::Image stored = encoded("OK6BSY");
  sim->setEeprom(stored);
  ProgramRun other;
  std::jthread otherProgram([&] {
    other = zorbelctl({"--timeout", "1.5", "read", sim->slavePath()}, dir);
  });
  ASSERT_TRUE(eventually([&] { return sim->frameCount() >= 1; })) << "the other program never sent";

  link = std::make_unique<link::DeviceLink>(rec.callbacks());
  const auto busy = link->open(sim->slavePath());
  EXPECT_FALSE(busy.ok());
  EXPECT_EQ(busy.error().message,
            "Serial port open error. Try to reconnect the device and reset application.");
  EXPECT_NE(busy.error().reason.find("busy"), std::string::npos) << busy.error().reason;
  // The port doctor names the program that holds it.
  EXPECT_NE(busy.error().hint.find(" is open in zorbelctl (pid "), std::string::npos)
      << busy.error().hint;
  ASSERT_EQ(rec.lines().size(), 1u);
  EXPECT_EQ(rec.lines().front().rfind("Serial port open error: " + sim->slavePath(), 0), 0u);
  EXPECT_FALSE(link->workerRunning());
  // A request made meanwhile waits for a port.
  link->readConfiguration();

  otherProgram.join();
  EXPECT_EQ(other.status, 5) << other.err;
  rec.clear();
  openLink();
  ASSERT_TRUE(rec.waitForEnds(1));
  EXPECT_EQ(rec.lines(), readSequence());
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), stored);
  outcome("port opened by another program",
          "\"Serial port open error. ...\" with \"" + busy.error().reason +
              "\"; the read posted meanwhile goes out once the port is free");
  cleanTransfersComplete("port held by another program");
}

}  // namespace
}  // namespace zorbel::faults
