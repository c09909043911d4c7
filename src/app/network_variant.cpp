#include "network_variant.h"

#include <QAction>
#include <QMenu>

#include "help_object_names.h"
#include "program_settings.h"

namespace zorbel::app {

QAction* addNetworkVariantAction(QMenu* view, const std::function<void(bool)>& show) {
  QAction* action = view->addAction("&Network variant (Zorbel+)");
  action->setObjectName(names::kNetworkVariantAction);
  action->setCheckable(true);
  const QString help =
      "Shows what only the network-equipped device has: the WWW tab and the Remote update "
      "menu.";
  action->setStatusTip(help);
  action->setWhatsThis(help);
  action->setChecked(programSettings().value(kNetworkVariantKey, false).toBool());
  show(action->isChecked());
  QObject::connect(action, &QAction::toggled, view, [show](bool on) {
    programSettings().setValue(kNetworkVariantKey, on);
    programSettings().sync();  // on disk now, whatever becomes of the program
    show(on);
  });
  return action;
}

}  // namespace zorbel::app
