// Format texts and records as a user's control and data files supply them: the
// first line is the format text, the other lines are the records read with it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/io/edit.h"
#include "platform/io/format.h"
#include "platform/io/listread.h"
#include "platform/io/records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto nl = input.find('\n');
    const std::string_view format_text = input.substr(0, nl);
    const std::string_view rest = nl == std::string_view::npos ? std::string_view{} : input.substr(nl + 1);

    meru::io::Format f;
    if (f.parse(format_text) == 0) {
        meru::io::RecordReader in;
        in.open_text(std::string(rest));
        for (int statement = 0; statement < 4; ++statement) {
            meru::io::FormattedReader r(f, [&](std::string& rec) { return in.read(rec); });
            double x = 0;
            long long n = 0;
            std::string s;
            bool b = false;
            for (int i = 0; i < 12 && r.status() == 0; ++i) {
                switch (i % 4) {
                case 0: r.read_real(x); break;
                case 1: r.read_int(n); break;
                case 2: r.read_text(s, 8); break;
                default: r.read_logical(b); break;
                }
            }
            r.finish();
        }
        std::string out;
        meru::io::write_with_format(format_text, 3.25, 40, out);
        meru::io::write_with_format(format_text, 12LL, 40, out);
    }
    double v[4] = {};
    meru::io::list_read(rest, std::span<double>(v));
    if (const auto x = meru::io::list_read_real(rest)) {
        (void)meru::io::fmt_g(*x, 12, 5);
        (void)meru::io::fmt_e(*x, 12, 4);
        (void)meru::io::fmt_f(*x, 12, 3);
        (void)meru::io::list_real(*x);
    }
    return 0;
}
