#pragma once
// How many lines the log gets about frames the link rejects (a header with a
// bad checksum, a page nobody awaits that fails its checks). A device that
// floods such frames would otherwise turn every 8 bytes into a log line, and
// no front end keeps up with that. The first lines are logged as they come;
// past them, one line a second says how many more there were. The worker's
// alone.
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

namespace zorbel::link {

class RejectedFrameLimit {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr unsigned kShownInFull = 20;
  static constexpr auto kSummaryEvery = std::chrono::seconds(1);

  // True when the line about this rejected frame goes to the log; false when
  // it is counted for the next summary instead.
  bool admit(Clock::time_point now) {
    if (shown_ < kShownInFull) {
      ++shown_;
      return true;
    }
    if (counted_++ == 0 && now >= nextSummary_) nextSummary_ = now + kSummaryEvery;
    return false;
  }

  // The summary line once a second has passed since the last one (or since
  // the first frame it counts); empty when none is due.
  std::string summaryDue(Clock::time_point now) {
    if (counted_ == 0 || now < nextSummary_) return {};
    nextSummary_ = now + kSummaryEvery;
    return summary();
  }

  // The summary of what is counted, due or not (the worker stops, a transfer
  // starts); empty when nothing is counted.
  std::string summary() {
    if (counted_ == 0) return {};
    const std::uint64_t count = std::exchange(counted_, 0);
    return std::to_string(count) +
           (count == 1 ? " more frame rejected." : " more frames rejected.");
  }

  // A transfer starts: its own rejected frames are shown in full again. The
  // caller logs summary() first.
  void restart() {
    shown_ = 0;
    counted_ = 0;
    nextSummary_ = {};
  }

 private:
  unsigned shown_ = 0;
  std::uint64_t counted_ = 0;
  Clock::time_point nextSummary_{};
};

}  // namespace zorbel::link
