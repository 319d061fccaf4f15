#pragma once
// Fixed-column data records: one formatted read per record under the control
// file's format text. The read list is the identifier (8 characters, when
// "_ID_" is named), the data variables in list order, then the frequency as an
// integer (when "_FREQ_" is named).
#include "files/readdata.h"

#include <memory>

namespace meru::io {
class Format;
}

namespace meru::files {

class FixedReader {
public:
    FixedReader(ControlTables& t, DataArrays& d, io::RecordReader& in, ReadDataResult& r, int ndata);
    ~FixedReader();

    enum class Status { record, error, end_of_file };
    // Reads the next record into observation i. A record that cannot be read is
    // noted and skipped (Status::error); the caller reads the next one into i.
    Status read(int i);

private:
    ControlTables& t_;
    DataArrays& d_;
    io::RecordReader& in_;
    ReadDataResult& r_;
    int ndata_;
    std::unique_ptr<io::Format> format_;
    std::size_t reach_ = 0;     // the columns of a record the format reaches
    std::vector<int> negative_; // the variables of the record being read holding a negative number
    std::string record_;
    bool format_reported_ = false;
};

} // namespace meru::files
