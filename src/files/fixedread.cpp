#include "files/fixedread.h"

#include "platform/io/edit.h"
#include "platform/io/format.h"
#include "platform/io/iostat.h"
#include "platform/io/records.h"

#include <cmath>
#include <limits>

namespace meru::files {

FixedReader::FixedReader(ControlTables& t, DataArrays& d, io::RecordReader& in, ReadDataResult& r, int ndata)
    : t_(t), d_(d), in_(in), r_(r), ndata_(ndata), format_(std::make_unique<io::Format>())
{
    format_->parse(std::string_view(t.format.fmttext).substr(0, 800));
    reach_ = format_->record_reach(kNameLen);
}

FixedReader::~FixedReader() = default;

FixedReader::Status FixedReader::read(int i)
{
    const auto idx = static_cast<std::size_t>(i - 1);
    d_.obswt[idx] = 0;
    if (idx < d_.obsid.size()) d_.obsid[idx].clear();
    for (int j = 1; j <= ndata_; ++j) d_.x(i, j) = kMissing;
    if (!format_->valid()) {
        // Nothing can be read under a format that cannot be interpreted.
        if (!format_reported_) {
            format_reported_ = true;
            ++r_.errors;
            r_.notes.emplace_back(ReadNote::Kind::bad_format, i);
        }
        return Status::end_of_file;
    }
    bool first_record = true;
    std::string last;
    negative_.clear();
    io::FormattedReader rd(*format_, [&](std::string& rec) {
        // Only the columns the format reaches are kept, however long the line.
        bool whole = false;
        const int st = in_.read_piece(rec, reach_, whole);
        if (st == io::kOk && !whole) in_.skip_record();
        if (st == io::kOk) last = rec;
        if (st != io::kOk && first_record) return io::kEndOfFile;
        first_record = false;
        return st;
    });
    int st = io::kOk;
    if (t_.vars.hasid) {
        std::string id;
        st = rd.read_text(id, 8);
        if (st == io::kOk) {
            while (!id.empty() && id.back() == ' ') id.pop_back();
            if (idx < d_.obsid.size()) d_.obsid[idx] = id;
        }
    }
    for (int j = 1; j <= ndata_ && st == io::kOk; ++j) {
        double v = 0;
        bool missing = false;
        // A field of only ".", "-" or "+" is missing, as in free format.
        st = rd.read_real_or_missing(v, missing);
        // Values are held in single precision: one beyond its range cannot be read.
        if (st == io::kOk && !missing && !(std::fabs(v) <= std::numeric_limits<float>::max())) st = io::kErrBadInput;
        if (st == io::kOk && !missing) {
            d_.x(i, j) = static_cast<float>(v);
            if (v < 0) negative_.push_back(j);
        }
    }
    long long freq = 1;
    if (t_.vars.hasfreq && st == io::kOk) st = rd.read_int(freq);
    if (st == io::kOk) st = rd.finish();
    if (st == io::kOk && first_record) {
        // A read list that took no record (no data descriptor reached): one record
        // is still one observation.
        if (in_.skip_record() != io::kOk) return Status::end_of_file;
        first_record = false;
    }
    if (st == io::kEndOfFile && first_record) return Status::end_of_file;
    if (st != io::kOk) {
        // The record cannot be read: report it and read the next into the same place.
        const bool first_error = r_.errors == 0;
        ++r_.errors;
        ++r_.rejected_records;
        // Once per file, an unreadable first record is taken for a header.
        if (i == 1 && r_.rejected_records == 1) r_.notes.emplace_back(ReadNote::Kind::possible_header);
        else {
            ReadNote& n = r_.notes.emplace_back(ReadNote::Kind::read_error, i);
            n.text = last;
            n.first_error = first_error;
        }
        if (st == io::kEndOfFile) return Status::end_of_file;
        return Status::error;
    }
    if (t_.vars.hasfreq) {
        freq = frequency_weight(static_cast<double>(freq), std::to_string(freq), in_.next_record_number() - 1, r_);
        if (!t_.vars.hasid && idx < d_.obsid.size()) d_.obsid[idx] = io::fmt_i(i, 6);
    }
    d_.obswt[idx] = static_cast<int>(freq);
    for (const int j : negative_) ++r_.marks.negatives[static_cast<std::size_t>(j)];
    return Status::record;
}

} // namespace meru::files
