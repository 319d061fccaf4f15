#pragma once
// The extent settings as the settings dialogs know them. The settings themselves,
// `nextsize` and the extent box are plain code in stats/extent.h, where the search
// engine reads them.
#include "stats/extent.h"

namespace meru::settings {

using ExtentSettings = stats::ExtentSettings;

} // namespace meru::settings
