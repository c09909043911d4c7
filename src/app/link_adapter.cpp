#include "link_adapter.h"

namespace zorbel::app {

LinkAdapter::LinkAdapter(GuiLinkHandlers handlers, QObject* parent)
    : QObject(parent), handlers_(std::move(handlers)) {
  link::LinkCallbacks callbacks;
  callbacks.log = [this](const std::string& line) { post([this, line] { handlers_.log(line); }); };
  callbacks.progress = [this](link::TransferKind kind, std::uint32_t done, std::uint32_t total) {
    post([this, kind, done, total] { handlers_.progress(kind, done, total); });
  };
  callbacks.status = [this](link::PortState state, const std::string& text) {
    post([this, state, text] { handlers_.status(state, text); });
  };
  callbacks.imageReceived = [this](std::shared_ptr<link::ImageHandOver> hand) {
    post([this, hand = std::move(hand)]() mutable { handlers_.imageReceived(std::move(hand)); });
  };
  callbacks.transferEnded = [this](link::TransferKind kind, link::TransferEnd end) {
    post([this, kind, end] { handlers_.transferEnded(kind, end); });
  };
  // Taking the lock orders the wake-up after a waiting worker's check.
  callbacks.stopping = [this] {
    std::lock_guard lock(mutex_);
    room_.notify_all();
  };
  link_ = std::make_unique<link::DeviceLink>(std::move(callbacks));
}

void LinkAdapter::taken() {
  {
    std::lock_guard lock(mutex_);
    --queued_;
  }
  room_.notify_one();
}

LinkAdapter::~LinkAdapter() { link_->stopAndJoin(); }

}  // namespace zorbel::app
