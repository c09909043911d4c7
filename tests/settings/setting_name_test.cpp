#include "settings/setting_name.h"

#include <gtest/gtest.h>

namespace zorbel::settings {
namespace {

// A family's member is named by a number the code counts to: one too far is
// the likely slip, and it must end the program naming the member, not read on.
TEST(SettingNameDeathTest, AFamilyMemberNoSettingHasEndsTheProgramNamingIt) {
  EXPECT_EQ("Beacon#_msg"_family.at(8).view(), "Beacon8_msg");
  EXPECT_EQ("Packet2rf_filter_type##"_family.at(3).view(), "Packet2rf_filter_type03");
  EXPECT_EQ("Packet2rf_filter_type##"_family.at(12).view(), "Packet2rf_filter_type12");
  EXPECT_DEATH((void)"Beacon#_msg"_family.at(9),
               "programming error: no setting is named \"Beacon9_msg\"");
}

}  // namespace
}  // namespace zorbel::settings
