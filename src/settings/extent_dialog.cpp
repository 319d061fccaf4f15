#include "settings/extent_dialog.h"

#include "core/services.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"

#include <optional>

namespace meru::settings {

namespace ids = extent_ids;
using stats::Side;
using stats::SizeRead;

namespace {

Form extent_form(const ExtentSettings& e)
{
    Form f;
    f.text = {{ids::kSizes, e.sizetext}, {ids::kFloat, io::fmt_i(e.nfloatx, 1)}};
    f.on = {{ids::kBoth, e.side == Side::Both},
            {ids::kAMinus, e.side == Side::AMinusOnly},
            {ids::kA, e.side == Side::AOnly},
            {ids::kUpto, e.upto}};
    return f;
}

enum class Shown { accepted, again, cancelled, missing };

// One showing of the dialog and the checks of its float levels.
Shown show(ExtentSettings& e, const ExtentInput& in, std::string& msgline, FormDialog& dialog, Services& services,
           io::LogWriter& log, const std::function<void()>& prefwrite)
{
    Form f = extent_form(e);
    const int closed = dialog.run(ids::kDialog, f);
    if (closed == kMissing) {
        log.write(io::list_record("Error: dialog box 7 not found"));
        return Shown::missing;
    }
    if (closed == kCancel) {
        msgline = "ESC";
        return Shown::cancelled;
    }
    if (closed == kHelp) {
        services.helpshow("Extent dialog");
        return Shown::again;
    }
    e.sizetext = f.text[ids::kSizes];
    e.upto = f.is_on(ids::kUpto);
    e.side = f.is_on(ids::kAMinus) ? Side::AMinusOnly : f.is_on(ids::kA) ? Side::AOnly : Side::Both;
    // The whole field is read: "2147483648" is not the digit 2.
    const std::string typed = io::trim(f.text[ids::kFloat]);
    const auto levels = typed.empty() ? std::optional<long long>(0) : io::parse_int(typed);
    if (!levels || *levels < 1 || *levels > 3) {
        if (levels) e.nfloatx = *levels < 1 ? 1 : 3;
        std::string text = "Float levels takes a whole number 1, 2 or 3$";
        services.msgbox(text, BoxKind::Ok, false);
        return Shown::again;
    }
    e.nfloatx = static_cast<int>(*levels);
    if (in.singlecuts && e.nfloatx != 1) {
        e.nfloatx = 1;
        std::string text = "NOTE: float levels>1 not allowed. All single cuts$";
        services.msgbox(text, BoxKind::Ok, false);
        return Shown::again;
    }
    if (prefwrite) prefwrite();
    if (e.side != Side::Both) services.helpshow("NOTE: specifying A or A- only");
    return Shown::accepted;
}

constexpr const char* kSizesAccepted = "Size p_1,..,p_q takes whole numbers 1 to 100 separated by blanks or commas$";

// The checks of the stored settings; true when they are accepted (and logged).
bool check(ExtentSettings& e, const ExtentInput& in, std::string& msgline, Services& services, io::LogWriter& log)
{
    log.write(io::list_record("Extent settings:"));
    std::vector<int> p;
    std::string text;
    switch (stats::read_sizes(e.sizetext, p)) {
    case SizeRead::ok: break;
    case SizeRead::bad_number:
        log.write("problem with read 3");
        text = kSizesAccepted;
        break;
    case SizeRead::empty:
        log.write(" Q read as 0");
        text = kSizesAccepted;
        break;
    case SizeRead::not_positive: text = " ERROR: p_j <=0 not allowed. Try again$"; break;
    case SizeRead::not_descending: text = " ERROR: p_1..p_q not in descending order.$"; break;
    case SizeRead::too_large: services.helpshow("ERROR: invalid p_i or q"); return false;
    }
    if (!text.empty()) {
        services.msgbox(text, BoxKind::Ok, false);
        return false;
    }
    stats::set_extent(e, std::move(p));
    log.write((e.upto ? " Up to size p_1,..p_q=" : " Size p_1,..p_q=") + e.sizetext.substr(0, 80));
    if (e.side == Side::AMinusOnly) log.write(io::list_record("A- only"));
    if (e.side == Side::AOnly) log.write(io::list_record("A only"));
    if (in.singlecuts && e.nfloatx >= 2) {
        msgline = "NOTE:No multiple cuts specified";
        log.write(msgline);
        services.helpshow(msgline);
        e.nfloatx = 1;
        return false;
    }
    if (e.nfloatx == 1) log.write("Fixed optimal cut of attributes with multiple cuts");
    else log.write("Floating best " + io::fmt_i(e.nfloatx, 1) + " cuts ");
    return true;
}

} // namespace

bool extdlg(ExtentSettings& e, const ExtentInput& in, std::string& msgline, FormDialog& dialog, Services& services,
            io::LogWriter& log, const std::function<void()>& prefwrite)
{
    bool showing = !in.go;
    for (;;) {
        if (showing) {
            switch (show(e, in, msgline, dialog, services, log, prefwrite)) {
            case Shown::accepted: break;
            case Shown::again: continue;
            case Shown::cancelled:
            case Shown::missing: return false;
            }
        }
        showing = true;
        if (check(e, in, msgline, services, log)) return true;
    }
}

} // namespace meru::settings
