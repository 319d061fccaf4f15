#pragma once
// The notes of reading or writing a control file, written from what
// files::scancf, files::readcf, files::makecf and files::re_makecf kept: log
// lines, help topics and message boxes, in the order met.
#include "files/cf_notes.h"

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}

namespace meru::ui {

// Lines go to `log`, help topics and boxes (OK and Cancel, or OK only) to `sv`.
// A help topic or box met again among the same notes is written to `log` only
// (its "$" dropped), so one reading shows each of them once.
void control_notes(const files::CfNotes& notes, io::LogWriter& log, Services& sv);

} // namespace meru::ui
