#pragma once
// A dialog with one control of every kind, for the dialog and script tests.
#include "platform/dialog_template.h"
#include "platform/dialogs.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

namespace meru::test {

inline const char* const kTestDialogs = R"(
dialog 900 "Test dialog" 0 0 240 160
  static    -1   "Name:"          5   5  40 10
  edit      101  "start"         50   5  80 12
  check     102  "Keep &going"    5  20  80 10
  radio     103  "By Value"       5  32  60 10 group
  radio     104  "By Attribute"  70  32  60 10
  static    -1   "Variables"      5  45  60 10
  list      105  ""               5  55  80 60 multi
  list      106  ""              90  55  60 60 sort
  combo     107  ""             160   5  60 60 list
  scrollbar 108  ""             160  70  60 10
  group     109  "Frame"        155   0  80 90
  icon      110  "quest"        200 100  20 20
  button    1    "OK"           160 120  50 14 default
  button    2    "Cancel"       100 120  50 14
  button    7    "Help"          40 120  50 14
end
)";

inline platform::DialogLibrary test_dialogs()
{
    platform::DialogLibrary lib;
    std::vector<std::string> errors;
    platform::parse_dialog_templates(kTestDialogs, "test", lib, errors);
    EXPECT_TRUE(errors.empty());
    return lib;
}

// Fills list 105 with five items and list 106 (sorted) with three.
inline void fill_lists(platform::Dialog& d)
{
    d.set_int(105, 5, platform::kNumItems);
    const char* names[] = {"AGE", "SEX", "BMI", "SBP", "DIAB"};
    for (int i = 0; i < 5; ++i) d.set_text(105, names[i], i + 1);
    d.set_int(106, 3, platform::kNumItems);
    d.set_text(106, "pear", 1);
    d.set_text(106, "apple", 2);
    d.set_text(106, "fig", 3);
}

} // namespace meru::test
