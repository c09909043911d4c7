#pragma once
// Whether the device link can read the device back for a comparison
// (link::ReadPurpose, link::compareImages and settings::compareSettings).
// Without it the "Device" menu stays hidden.
#if __has_include("settings/compare.h")
#define ZORBEL_LINK_COMPARES 1
#include "settings/compare.h"
#else
#define ZORBEL_LINK_COMPARES 0
#endif
