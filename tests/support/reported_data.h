#pragma once
// The data fixture with the reports of reading written as the opening step
// writes them: the notes of reading, then the attribute reports.
#include "files/data_fixture.h"
#include "ui/attribute_report.h"

namespace meru::test {

// With `reports` off only the core's reading runs.
inline std::unique_ptr<DataRun> run_data(std::string cf, const std::string& data, const std::string& name = "t.csv",
                                         bool reports = true)
{
    return read_data(std::move(cf), data, name, reports ? &ui::data_reports : nullptr);
}

} // namespace meru::test
