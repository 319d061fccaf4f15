#pragma once
// The data fixture with the notes and reports of reading written as the opening
// step writes them: the control file's notes, the notes of reading the data, then
// the attribute reports.
#include "files/data_fixture.h"
#include "ui/attribute_report.h"
#include "ui/control_notes.h"

namespace meru::test {

// With `reports` off the data reader's notes and reports are not written.
inline std::unique_ptr<DataRun> run_data(std::string cf, const std::string& data, const std::string& name = "t.csv",
                                         bool reports = true)
{
    return read_data(std::move(cf), data, name, reports ? &ui::data_reports : nullptr, &ui::control_notes);
}

} // namespace meru::test
