#pragma once
// The simulator's link: a symbolic link to the simulator's pseudo-terminal, and
// beside it "LINK.lock", which the simulator holds under an exclusive flock (and
// in which it writes its pid) for as long as it serves. The port list offers the
// link only while that lock is held, so a link left behind by a simulator that
// has gone is never offered, whatever terminal its target now names.
#include <memory>
#include <string>

#include "common/result.h"

namespace zorbel::link {

class SimulatorLink {
 public:
  // Makes `linkPath` a link to `terminal` and holds its lock. A CannotWrite
  // error whose message says why when another living simulator holds the
  // link, when `linkPath` is something other than a link, or when either file
  // cannot be made.
  static Result<std::unique_ptr<SimulatorLink>> publish(const std::string& linkPath,
                                                        const std::string& terminal);
  // Removes the link (when it still names this terminal) and its lock file.
  ~SimulatorLink();
  SimulatorLink(const SimulatorLink&) = delete;
  SimulatorLink& operator=(const SimulatorLink&) = delete;

  // True while a living simulator holds the link at `linkPath`.
  static bool held(const std::string& linkPath);
  static std::string lockPath(const std::string& linkPath) { return linkPath + ".lock"; }

 private:
  SimulatorLink(std::string linkPath, std::string terminal, int lockFd)
      : linkPath_(std::move(linkPath)), terminal_(std::move(terminal)), lockFd_(lockFd) {}
  std::string linkPath_;
  std::string terminal_;
  int lockFd_;
};

}  // namespace zorbel::link
