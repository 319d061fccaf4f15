#pragma once
// The main loop's File step: File:Open, File:New, a recent file and the re-reads
// run the opening sequence (opening.h) on the program's state, then set the menus
// for the new analysis, update the recent files and, when the control file holds
// Boolean combinations, ask for their added attributes.
#include "mainloop/dispatch.h"

#include <string>

namespace meru::mainloop {

struct Program;

// The handler of the File step.
Flow file_request(Program& program);

// The menus after an opening failed once the old analysis was gone: no analysis
// is open and nothing reaches the data.
void menus_without_analysis(Program& program);

// The menus after the pre-scan refused a control file: the Edit menu can edit it.
void menus_for_refused_control_file(Program& program, const std::string& cfname);

// A folder or file given as the program's first argument is where the file
// dialogs start.
void install_file_hooks(Program& program);

} // namespace meru::mainloop
