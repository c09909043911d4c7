// A page row that names a setting its window has no control for.
#include <gtest/gtest.h>
#include <QGridLayout>
#include <QWidget>

#include "page_builder.h"
#include "radio_page_controls.h"
#include "settings_binder.h"

namespace zorbel::app {
namespace {

// A filter entry placed on a main window page: the program ends naming the
// setting as it builds the page, rather than laying out a missing control.
TEST(PageBuilderDeathTest, ASettingWithoutAControlInThisWindowEndsTheProgramNamingIt) {
  settings::SettingsModel model;
  SettingsBinder binder(model);
  QWidget page;
  makeRadioPageControls(binder, page);
  auto* grid = new QGridLayout(&page);
  PageBuilder builder(binder);
  EXPECT_DEATH(builder.form(grid, 0, {{"Txdelay"_setting, "Packet2rf_filter_type01"_setting}}),
               "programming error: setting Packet2rf_filter_type01 has no control in this window");
}

}  // namespace
}  // namespace zorbel::app
