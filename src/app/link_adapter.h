#pragma once
// Brings the device link's callbacks, which run on its worker thread, onto the
// GUI thread as queued calls, in the order the worker made them.
#include <QObject>
#include <functional>
#include <memory>

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
  // The handlers run on this object's (the GUI) thread. Calls still queued when
  // the adapter goes away are dropped; a dropped image hand-over releases the worker.
  LinkAdapter(GuiLinkHandlers handlers, QObject* parent);
  // Stops and joins the worker before anything it reports to is gone.
  ~LinkAdapter() override;

  link::DeviceLink& device() { return *link_; }

 private:
  template <class F>
  void post(F&& call) {
    QMetaObject::invokeMethod(this, std::forward<F>(call), Qt::QueuedConnection);
  }

  GuiLinkHandlers handlers_;
  std::unique_ptr<link::DeviceLink> link_;
};

}  // namespace zorbel::app
