#include "program_settings.h"

namespace zorbel::app {

QSettings& programSettings() {
  static QSettings settings("zorbel", "zorbel-configurator");
  return settings;
}

}  // namespace zorbel::app
