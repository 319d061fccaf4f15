#pragma once
// The Edit menu's step of the main loop: editing the control file (and reading it
// again), editing any file, the training/test split and the bootstrap toggle;
// the outside editor; and the switch between the training and the test sample.
#include "mainloop/dispatch.h"

#include <string>
#include <vector>

namespace meru::mainloop {

struct Program;

// What the Edit menu keeps for the run.
struct EditState {
    int nboot = 0;         // times bootstrap mode was switched on
    int nswitch = 0;       // training/test switches of the current split
    bool testflag = false; // the test sample is in use
};

// The Edit step's handler.
Flow edit_request(Program& program);

// Runs the outside editor ($VISUAL, else $EDITOR, else the desktop's opener) on
// `path` with an argument list (never through a shell) and waits for it while
// the program keeps serving its events; the active window is active again
// afterwards. The progress text asks to exit the editor, except for the opener,
// which returns at once. False, after the help topic "ERROR: Notepad", when no
// editor can be found or started.
bool editfile(Program& program, const std::string& path);

// The training/test switch: counts it; an odd count puts the test sample in use
// ("Analysis is now on the test sample"), an even one the training sample; the
// two weight arrays `a` and `b` change places. Returns the message; `rename_to`
// receives Process item 8's next text ("Switch to Training sample" or "Switch to
// Test sample").
struct SampleSwitch {
    std::string message;
    std::string item_text;
};
SampleSwitch sampswitch(int& count, std::vector<int>& a, std::vector<int>& b, bool& testflag);

// Process > Switch to test sample: with a split in force the training and test
// weights change places ("%Process: training/test switch").
Flow test_switch(Program& program);

} // namespace meru::mainloop
