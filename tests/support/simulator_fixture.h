#pragma once
// The simulated device a test talks to: zorbel-sim's simulator on a
// pseudo-terminal of its own, with the fault switches the test chose.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "simulator.h"
#include "support/temp_dir.h"

namespace zorbel::test {

// A simulator serving on its own pseudo-terminal; one that cannot start fails the test.
inline std::unique_ptr<sim::Simulator> startSimulator(sim::SimOptions options = {}) {
  auto simulator = std::make_unique<sim::Simulator>(std::move(options));
  const Result<void> started = simulator->start();
  EXPECT_TRUE(started) << started.error().message;
  return simulator;
}

// A test with a simulator and a scratch folder of its own.
class SimulatorTest : public ::testing::Test {
 protected:
  void startSim(sim::SimOptions options = {}) { sim = startSimulator(std::move(options)); }
  const std::string& port() const { return sim->slavePath(); }

  TempDir dir;
  std::unique_ptr<sim::Simulator> sim;
};

}  // namespace zorbel::test
