#pragma once
// "View → Network variant (Zorbel+)": the features of the network-equipped
// device, its web server settings and the remote update file, are out of the
// way of a user whose device has no network; one who has one turns them on.
#include <functional>

class QAction;
class QMenu;

namespace zorbel::app {

// Adds the checkable "Network variant (Zorbel+)" to `view`, checked as the
// user left it (off at first). `show` runs at once with that state and again
// each time the user changes it; the change is kept at once.
QAction* addNetworkVariantAction(QMenu* view, const std::function<void(bool)>& show);

}  // namespace zorbel::app
