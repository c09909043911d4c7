#include "transfer_guard.h"

#include <algorithm>

namespace zorbel::app {

void TransferGuard::begin(Job job, link::TransferKind stage, std::uint32_t total) {
  job_ = job;
  stage_ = stage;
  done_ = 0;
  total_ = total;
  started_ = false;
  wrote_ = stage == link::TransferKind::ConfigurationWrite;
  cancelled_ = false;
}

void TransferGuard::moveTo(link::TransferKind stage) {
  stage_ = stage;
  done_ = 0;
  total_ = kImagePages;
  started_ = false;
  wrote_ = wrote_ || stage == link::TransferKind::ConfigurationWrite;
}

void TransferGuard::progressed(link::TransferKind kind, std::uint32_t done, std::uint32_t total) {
  if (!job_ || kind != stage_) return;
  done_ = done;
  total_ = total;
  started_ = true;
}

void TransferGuard::end() {
  job_.reset();
  cancelled_ = false;
}

Choice TransferGuard::stopQuestion(const QString& title) const {
  // The page on its way, as the status line counts it.
  const QString page =
      QString("page %1 of %2").arg(std::min(done_ + 1, std::max(total_, 1U))).arg(total_);
  Choice choice;
  choice.title = title;
  choice.warning = true;
  QString keep = "&Keep reading";
  QString stop = "&Stop reading";
  if (job_ == Job::Upload) {
    choice.text = "A firmware upload is running (" + page +
                  "). Stop it and leave the device without complete firmware?";
    keep = "&Keep uploading";
    stop = "&Stop uploading";
  } else if (job_ == Job::Write && stage_ == link::TransferKind::ConfigurationWrite) {
    choice.text = "A configuration write is running (" + page +
                  "). Stop it and leave the device with part of the new configuration?";
    keep = "&Keep writing";
    stop = "&Stop writing";
  } else if (job_ == Job::Write && !wrote_) {
    choice.text = "The device's configuration is being backed up before the write (" + page +
                  "). Stop it and write nothing?";
  } else if (job_ == Job::Write) {
    choice.text = "The configuration written is being read back to verify it (" + page +
                  "). Stop the verify?";
  } else {
    choice.text = "A configuration read is running (" + page + "). Stop it?";
  }
  choice.buttons = {{keep, Choice::Role::Reject}, {stop, Choice::Role::Destructive}};
  choice.defaultButton = 0;
  return choice;
}

}  // namespace zorbel::app
