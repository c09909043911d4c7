#pragma once
// Brings the device link's callbacks, which run on its worker thread, onto the
// GUI thread as queued calls, in the order the worker made them.
#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "link/device_link.h"

namespace zorbel::app {

struct GuiLinkHandlers {
  std::function<void(const std::string& line)> log;
  std::function<void(link::TransferKind kind, std::uint32_t done, std::uint32_t total)> progress;
  std::function<void(link::PortState state, const std::string& text)> status;
  std::function<void(std::shared_ptr<link::ImageHandOver> hand)> imageReceived;
  std::function<void(link::TransferKind kind, link::TransferEnd end)> transferEnded;
};

class LinkAdapter : public QObject {
 public:
  // At most this many reports wait for the GUI thread; the worker waits for
  // room beyond that, so a GUI thread that falls behind holds the link back
  // instead of filling memory. A stop lets a waiting worker go.
  static constexpr int kQueueLimit = 1000;

  // The handlers run on this object's (the GUI) thread. Calls still queued when
  // the adapter goes away are dropped; a dropped image hand-over releases the worker.
  LinkAdapter(GuiLinkHandlers handlers, QObject* parent);
  // Stops and joins the worker before anything it reports to is gone.
  ~LinkAdapter() override;

  link::DeviceLink& device() { return *link_; }

 private:
  template <class F>
  void post(F&& call) {
    {
      std::unique_lock lock(mutex_);
      room_.wait(lock, [this] { return queued_ < kQueueLimit || link_->stopRequested(); });
      ++queued_;
    }
    QMetaObject::invokeMethod(
        this,
        [this, call = std::forward<F>(call)]() mutable {
          taken();
          call();
        },
        Qt::QueuedConnection);
  }
  // A queued report has reached the GUI thread.
  void taken();

  GuiLinkHandlers handlers_;
  std::mutex mutex_;
  std::condition_variable room_;
  int queued_ = 0;  // reports posted and not yet taken
  std::unique_ptr<link::DeviceLink> link_;
};

}  // namespace zorbel::app
