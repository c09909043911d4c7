#pragma once
// What the window's transfer commands are doing. One runs at a time, from the
// command that starts it to the end of its last link transfer: a write's
// backup read before it and its verify after it belong to the write.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "link/device_link.h"
#include "user_dialogs.h"

namespace zorbel::app {

// The pages of a configuration write or read.
inline constexpr std::uint32_t kImagePages = 16;

class TransferGuard {
 public:
  enum class Job { Write, Read, Upload, Compare };

  bool busy() const { return job_.has_value(); }
  bool cancelled() const { return cancelled_; }
  link::TransferKind stage() const { return stage_; }
  // The link has reported the stage's start. An end of its kind before that
  // belongs to the transfer before it (a read ends only after the window has
  // its image), unless a cancel dropped the stage's request unstarted.
  bool endsStage(link::TransferKind kind) const {
    return job_ && kind == stage_ && (started_ || cancelled_);
  }

  // A command starts its first link transfer, of `total` pages.
  void begin(Job job, link::TransferKind stage, std::uint32_t total);
  // The same command goes on with another link transfer of kImagePages pages.
  void moveTo(link::TransferKind stage);
  // The link's progress report; reports of another transfer are ignored.
  void progressed(link::TransferKind kind, std::uint32_t done, std::uint32_t total);
  void cancel() { cancelled_ = true; }
  void end();

  // "Write cut short after page 7 of 16." for the link transfer that runs.
  std::string cutShortLine() const { return link::cutShortLine(stage_, done_, total_); }
  // The question before closing the port under the transfer; its button 0
  // goes on, button 1 stops it.
  Choice stopQuestion(const QString& title) const;

 private:
  std::optional<Job> job_;
  link::TransferKind stage_ = link::TransferKind::ConfigurationWrite;
  std::uint32_t done_ = 0;
  std::uint32_t total_ = 0;
  bool started_ = false;
  bool wrote_ = false;  // a write job has sent its pages: a read now is its verify
  bool cancelled_ = false;
};

}  // namespace zorbel::app
