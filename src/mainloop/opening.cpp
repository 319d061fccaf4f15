#include "mainloop/opening.h"

#include "core/services.h"
#include "files/controlfile.h"
#include "files/makecf.h"
#include "files/readdata.h"
#include "files/textutil.h"
#include "mainloop/dataarrays.h"
#include "mainloop/earlier_log.h"
#include "mainloop/notes_once.h"
#include "mainloop/recordcount.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "platform/io/records.h"
#include "platform/io/safe_files.h"
#include "search/combination_check.h"
#include "ui/attribute_report.h"
#include "ui/control_notes.h"
#include "ui/messages.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace meru::mainloop {

namespace {

// The product's version as the log names it: the banner's date 20110701 from its
// second digit on.
constexpr const char* kVersion = "0110701";

bool is_data_extension(const std::string& ext) { return ext == ".TXT" || ext == ".CSV" || ext == ".DAT"; }

void set_delimiter(files::ScanFlags& f, const std::string& ext)
{
    f.comma = ext == ".CSV";
    f.tab = ext == ".TXT";
    f.space = ext == ".DAT";
}

std::string first(std::string_view text, std::size_t n) { return std::string(text.substr(0, n)); }

// What the user chose, before the control file is opened.
struct Choice {
    std::string cfname;
    std::string datapath;
    std::string dataname; // the data file's name without its folder (default control file)
    std::string chosen;   // the path chosen in the dialog or from the recent list
    files::ScanFlags delim;
    bool datafromcf = true;
    bool madecf = false;
};

bool change_to(const std::string& folder, Services& sv, bool whole)
{
    if (folder.empty() || io::change_folder(folder)) return true;
    std::string text = "Unable to change to directory " + (whole ? folder : first(folder, 30)) + " $";
    sv.msgbox(text, BoxKind::Ok, false);
    return false;
}

// A data file that is not a regular text file (a device, random bytes) is
// refused with its name and the reason, before anything is written for it.
bool data_file_usable(const std::string& path, Services& sv)
{
    const std::string why = io::not_text_reason(path);
    if (why.empty()) return true;
    sv.msgok("Not a data file: " + path + " (" + why + ") $");
    return false;
}

// The log of a control file cannot be written: the message names it and says why.
void log_unwritable(const std::string& logpath, const std::string& why, Services& sv)
{
    std::string text = "Error opening device for output " + logpath + " (" + why + ")$";
    sv.msgbox(text, BoxKind::Ok, false);
}

// A data file was chosen: its control file is the file of the same base name
// with ".mrc" in the data file's folder, made by default when it does not exist
// (or, for File:New, when the user wants it replaced). Nothing is written when
// the data file is not text or the log could not be written beside the control
// file; false then.
bool data_file_chosen(const OpenRequest& rq, const io::PathParts& parts, Choice& c, io::LogWriter& log, Services& sv)
{
    if (!rq.fnew) c.datafromcf = false;
    set_delimiter(c.delim, files::upper(parts.extension));
    const std::string base = files::rtrim(parts.name);
    c.cfname = parts.folder + base + ".mrc";
    c.dataname = base + parts.extension;
    // A control file behind a link that loops is not made anew: its opening says why.
    const bool exists = io::may_exist(c.cfname);
    if (exists && !rq.fnew) return true;
    if (!data_file_usable(c.datapath, sv)) return false;
    const std::string logpath = parts.folder + files::log_name(base);
    if (const std::string why = io::can_write(logpath); !why.empty()) {
        log_unwritable(logpath, why, sv);
        return false;
    }
    if (exists && !sv.quiz("?Associated .mrc file already exists! Overwrite with a default .mrc file?")) return true;
    files::DefaultCfFiles f{c.cfname, c.dataname, c.dataname, c.delim.comma, c.delim.tab};
    // File:Open and File:Recent say which control file is made, with a copy in
    // the log; File:New has asked for it.
    files::CfNotes notes;
    const bool made = files::makecf(f, true, notes);
    ui::control_notes(notes, log, sv);
    if (!made) return false; // its message said why; nothing is opened
    if (!rq.fnew) {
        std::string text = "No associated .mrc file for data  Will make default " + first(base + ".mrc", 20) + "$";
        sv.msgbox(text, BoxKind::Ok, true);
    }
    c.madecf = true;
    return true;
}

// Writes the default control file again from what the data showed: one line per
// variable at its mean, then, when some variables look nominal and the user
// agrees, once more with nominal lines for them.
void remake_default_cf(const files::DefaultCfFiles& f, const std::vector<files::DefaultCfVariable>& vars,
                       io::LogWriter& log, Services& sv)
{
    for (bool remake : {false, true}) {
        files::CfNotes notes;
        const files::RemadeCf pass = files::re_makecf(f, vars, remake, notes);
        ui::control_notes(notes, log, sv);
        if (!pass.written || remake || !pass.nominal_seen) return;
        if (!sv.quiz("? Nominal variables detected. Use MERU to re-create .mrc file?")) return;
    }
}

// Steps up to the opening of the control file: the question when an analysis is
// open, the dialog or the recent entry, and the default control file.
std::optional<Choice> choose(const OpenRequest& rq, OpeningContext& cx)
{
    Services& sv = cx.sv;
    if (cx.analysis) {
        if (!sv.quiz("?Current analysis will terminate saving only .log file " + cx.analysis->logname +
                     "  Continue?$ "))
            return std::nullopt;
    }
    cx.host.clear_history();
    Choice c;

    if (rq.fopen || rq.fnew) {
        if (!cx.host.choose_file(cx.state.dialog_path, rq.fopen ? kOpenFilter : kNewFilter)) return std::nullopt;
        c.chosen = cx.state.dialog_path;
        const io::PathParts parts = io::split_path(c.chosen);
        const std::string ext = files::upper(parts.extension);
        if (!change_to(parts.folder, sv, false)) return std::nullopt;
        if (is_data_extension(ext)) {
            c.datapath = c.chosen;
            if (!data_file_chosen(rq, parts, c, cx.log, sv)) return std::nullopt;
            return c;
        }
        if (rq.fnew) {
            // File:New takes data files only.
            std::string text = "File extension missing or  inadmissible $";
            sv.msgbox(text, BoxKind::Ok, false);
            return std::nullopt;
        }
        c.cfname = c.chosen;
        if (ext != ".MRC") sv.helpshow("NOTE: file is not a .mrc file");
        return c;
    }

    // A recent file.
    c.chosen = cx.host.recent_path(rq.recentix);
    if (c.chosen.empty()) return std::nullopt;
    const io::PathParts parts = io::split_path(c.chosen);
    const std::string ext = files::upper(parts.extension);
    if (ext != ".MRC" && !is_data_extension(ext)) {
        std::string text = "File extension missing or  inadmissible $";
        sv.msgbox(text, BoxKind::Ok, false);
        return std::nullopt;
    }
    if (!change_to(parts.folder, sv, true)) return std::nullopt;
    if (ext == ".MRC") {
        c.datafromcf = true;
        c.cfname = c.chosen;
        return c;
    }
    c.datapath = c.chosen;
    if (!data_file_chosen(rq, parts, c, cx.log, sv)) return std::nullopt;
    return c;
}

// How one pass over the control file and the data file ended.
enum class Pass { refused, failed, remade, opened };

class Opening {
public:
    Opening(const OpenRequest& rq, OpeningContext& cx) : rq_(rq), cx_(cx) {}

    OpenResult run()
    {
        OpenResult result;
        bool reread = rq_.reread;
        bool fopen = rq_.fopen || reread;
        bool released = false;
        for (;;) {
            if (!reread) {
                std::optional<Choice> c = choose(rq_, cx_);
                if (!c) return result;
                c_ = *c;
                cx_.state.chosen = c_.chosen;
            } else if (!remade_) {
                c_ = Choice{};
                c_.cfname = cx_.state.cfname;
                c_.datafromcf = true;
            }
            std::string text;
            io::remove_stale_temporaries(c_.cfname);
            const files::CfRecords cf = files::read_cf_records(c_.cfname);
            if (!cf.unreadable.empty()) {
                text = "Unable to open control file " + c_.cfname + " (" + cf.unreadable + ") $";
                cx_.sv.msgbox(text, BoxKind::Ok, false);
                if (fopen && !reread) continue; // the user chooses again
                if (remade_) {
                    fail(); // the first pass's log is open, its arrays gone
                    released = true;
                }
                break;
            }
            const Pass pass = read_pass(cf, reread, fopen, released);
            if (pass == Pass::remade) {
                // Read again from the re-made control file.
                reread = true;
                fopen = true;
                remade_ = true;
                c_.madecf = false;
                c_.delim = {};
                continue;
            }
            if (pass == Pass::opened) {
                result.end = OpenResult::End::opened;
                result.heading_path = heading_path_;
                // One analysis, one recent entry: the path the user chose, which
                // a re-read of its control file (even a re-made one) keeps.
                if (cx_.state.chosen.empty()) cx_.state.chosen = c_.cfname;
                result.recent = cx_.state.chosen;
                if (!rq_.fopen && !rq_.fnew && !rq_.reread) result.recentix = rq_.recentix;
                return result;
            }
            break;
        }
        result.end = released ? OpenResult::End::closed : OpenResult::End::unchanged;
        return result;
    }

private:
    // Ends a pass that failed after the old analysis was released: nothing open,
    // but the control file was read, so the Edit menu can edit it.
    Pass fail()
    {
        cx_.log.flush();
        cx_.log.close();
        cx_.host.closed();
        cx_.host.control_file_refused(c_.cfname);
        return Pass::failed;
    }

    Pass read_pass(const files::CfRecords& cf, bool reread, bool fopen, bool& released)
    {
        Services& sv = cx_.sv;
        io::LogWriter& log = cx_.log;
        cx_.state.cfname = c_.cfname;

        // The log's name and folder: the control file's base name, beside the
        // control file.
        const io::PathParts parts = io::split_path(c_.cfname);
        if (parts.name.empty()) {
            sv.helpshow("ERROR No output");
            return Pass::refused;
        }
        const std::string logname = files::log_name(parts.name);
        const std::string logpath = parts.folder + logname;
        if (!parts.folder.empty() && !io::change_folder(parts.folder)) {
            std::string text = "Unable to change to directory " + first(parts.folder, 30) + " $";
            sv.msgbox(text, BoxKind::Ok, false);
            return Pass::refused;
        }

        // Pre-scan.
        if (!cf.refused.empty()) {
            std::string text =
                "Fatal error in .MRC file. File ignored: " + parts.name + parts.extension + " (" + cf.refused + ")$";
            sv.msgbox(text, BoxKind::Ok, false);
            cx_.host.control_file_refused(c_.cfname);
            return Pass::refused;
        }
        const std::vector<std::string>& records = cf.records;
        std::string datapath = c_.datapath;
        files::ScanFlags flags = c_.delim;
        files::NoValidData nvd;
        const files::ScanCounts before = cx_.state.counts;
        files::CfNotes scan_notes;
        const files::ScanCounts counts = files::scancf(records, datapath, flags, c_.datafromcf, nvd, scan_notes);
        ui::control_notes(scan_notes, log, sv);
        if (nvd.names_refused) {
            cx_.host.control_file_refused(c_.cfname);
            return Pass::refused;
        }
        if (reread && cx_.state.ncomb > 0 &&
            (counts.attbound != before.attbound || counts.varbound != before.varbound))
            sv.helpshow("NOTE: possible control file changes");
        cx_.state.counts = counts;
        if (!bounds_usable(counts, sv, cx_.msgline)) {
            cx_.host.control_file_refused(c_.cfname);
            return Pass::refused;
        }

        // Nothing is released when the data file is not text or the log cannot
        // be written.
        if (!nvd.not_text.empty()) {
            sv.msgok("Not a data file: " + datapath + " (" + nvd.not_text + ") $");
            cx_.host.control_file_refused(c_.cfname);
            return Pass::refused;
        }
        if (const std::string why = io::can_write(logpath); !why.empty()) {
            log_unwritable(logpath, why, sv);
            cx_.host.control_file_refused(c_.cfname);
            return Pass::refused;
        }

        // The old analysis goes; the new log never takes the place of another
        // file, except when the control file is read again after an edit: the
        // analysis goes on in its log, which the new opening is appended to.
        std::string appended;
        if (rq_.reread && !remade_)
            appended = cx_.analysis && cx_.analysis->cfname == c_.cfname && log.is_open() ? log.path() : logpath;
        if (cx_.analysis) {
            cx_.host.releasing();
            cx_.analysis.reset();
            released = true;
        }
        // The reading of a default control file re-made from its data goes on
        // in the log of the first reading, which holds how it was made.
        const bool same_log = remade_ && log.is_open();
        NewLog made;
        if (!same_log) {
            log.flush();
            log.close();
            if (!open_log(appended, parts.folder, logname, made)) return fail();
            cx_.host.clear_history();
        }
        std::string heading;
        if (fopen) {
            heading_path_ = c_.cfname;
            heading = "%File:Open ";
        } else if (rq_.fnew) {
            heading_path_ = datapath;
            heading = "%File:New ";
        } else {
            heading_path_ = c_.chosen;
            heading = "%File:Recent ";
        }
        cx_.host.heading(first(heading + heading_path_, 80));
        if (!same_log) write_log_preamble(log, cx_.host.now(), log_name_);
        if (!made.kept.empty()) log.write(kept_log_line(logname, made.kept));
        if (made.elsewhere) {
            std::string text = elsewhere_log_line(logname, made.name) + "$";
            sv.msgbox(text, BoxKind::Ok, true);
        }

        // Arrays and the control file.
        auto a = std::make_unique<Analysis>();
        a->cfname = c_.cfname;
        a->logname = log_name_;
        if (!allocate_tables(*a, counts, sv)) return fail();
        a->tables.format.datapath = datapath;
        files::Scratch scratch;
        files::CfNotes notes;
        a->nnotes = files::readcf(records, a->tables, flags, cx_.msgline, scratch, notes, sv);
        ui::control_notes(notes, log, sv);
        a->tables.format.datapath = datapath;
        a->datapath = datapath;
        a->freefmt = a->tables.format.freefmt;
        cx_.state.ncomb = a->tables.ncombfound;
        if (a->nnotes == 1) {
            std::string text = "  One note or error in control file. View log $";
            sv.msgbox(text, BoxKind::Ok, false);
        } else if (a->nnotes > 1) {
            std::string text = " " + io::fmt_i(a->nnotes, 4) + " notes or errors in control file. View log $";
            sv.msgbox(text, BoxKind::Ok, false);
        }

        // The data file: its records counted, then read.
        a->nodatafile = nvd.nodatafile;
        bool nodata = nvd.nodata;
        int n = 1;
        io::RecordReader in;
        if (!nvd.nodatafile) {
            std::string why;
            const RecordCount rc = count_file_records(datapath, a->freefmt, why);
            if (!why.empty() || in.open(datapath) != 0) {
                if (why.empty()) why = std::strerror(errno);
                sv.msgok("ERROR trying to open data file " + datapath + " (" + why + ") $");
                return fail();
            }
            log.write(" Reading from data file: ");
            log.write("          " + datapath);
            cx_.host.show_progress();
            sv.thinking(".... scanning data file " + datapath, true);
            if (rc.bad) {
                std::string text = "ERROR: Cannot read data - FORMAT statement may be wrong$";
                sv.msgbox(text, BoxKind::Ok, true);
                return fail();
            }
            a->hascr = rc.hascr;
            n = rc.n;
            log.write(" # lines of data =" + io::fmt_i(n, 7));
            if (n == 0) {
                std::string text = "ERROR: Seems to be no data in data file?$";
                sv.msgbox(text, BoxKind::Ok, true);
                nodata = true;
                n = 1;
            }
        }
        a->nrecords = n;
        if (!allocate_observations(*a, n, sv)) return fail();
        sv.thinking(".. to read in data ", true);
        files::ReadDataContext rcx{sv, log, cx_.msgline, cx_.host.rng(), true};
        a->stats = files::readdata(a->tables, a->data, in, n, nodata, rcx);
        ui::data_reports(a->tables, a->stats, rcx, nodata);
        in.close();
        if (a->stats.abandon) return fail();
        a->nodata = nodata || a->nodatafile;

        if (c_.madecf) {
            // The default control file is written again from what the data showed.
            const std::string line = c_.dataname.empty() ? io::split_path(datapath).name : c_.dataname;
            files::DefaultCfFiles f{c_.cfname, line, line, a->tables.format.comma, a->tables.format.tab};
            remake_default_cf(f, files::default_cf_variables(a->tables, a->stats), log, sv);
            return Pass::remade; // this pass's arrays go with `a`
        }

        // Stored combinations whose attribute numbers name other attributes now
        // (the cuts were edited) are left out, not read as other subgroups.
        Notices told;
        search::check_combinations(a->tables, told, log);
        ui::tell(sv, log, told);

        // The analysis as it starts: every observation in X space, the first
        // variable as the outcome.
        a->nobs = a->nodata ? 1 : a->stats.nread;
        a->nobsin = a->nodata ? 1 : a->stats.nobsin;
        for (std::size_t k = 0; k < a->varline.size(); ++k) a->varline[k] = static_cast<int>(k);
        for (int i = 1; i <= a->stats.nread && i < static_cast<int>(a->xmask.size()); ++i)
            a->xmask[static_cast<std::size_t>(i)] = 1;
        a->outcome = outcome::first_variable_outcome(a->tables.vars.nvar >= 1 ? a->tables.vars.varname[1] : "");
        a->firsty = true;
        cx_.analysis = std::move(a);
        return Pass::opened;
    }

    // Opens the log: appended to when `appended` names the log the analysis goes
    // on in, else made anew beside the control file (an earlier log of the same
    // name is kept). False, after the message, when it cannot be opened.
    bool open_log(const std::string& appended, const std::string& folder, const std::string& logname,
                  NewLog& made)
    {
        io::LogWriter& log = cx_.log;
        if (!appended.empty()) {
            if (log.append(appended) == 0) {
                const io::PathParts p = io::split_path(appended);
                log_name_ = p.name + p.extension;
                return true;
            }
            // Another program opening the analysis has taken it meanwhile: a new log.
            if (errno != EWOULDBLOCK) {
                log_unwritable(appended, std::strerror(errno), cx_.sv);
                return false;
            }
        }
        made = make_new_log(log, folder, logname);
        if (!made.error.empty()) {
            log_unwritable(folder + (made.name.empty() ? logname : made.name), made.error, cx_.sv);
            return false;
        }
        log_name_ = made.name;
        return true;
    }

    const OpenRequest& rq_;
    OpeningContext& cx_;
    Choice c_;
    bool remade_ = false;
    std::string heading_path_;
    std::string log_name_; // the name of the log the analysis is written to
};

} // namespace

void write_log_preamble(io::LogWriter& log, const platform::DateTime& d, const std::string& logname)
{
    log.write(" Date " + io::fmt_i(d.day, 2) + "/" + (d.month < 10 ? "0" : "") + std::to_string(d.month) + "/" +
              io::fmt_i(d.year, 4));
    log.write(std::string("MERU Output log from version ") + kVersion);
    log.write(" This output file is: " + io::fmt_a(logname, 30));
}

OpenResult open_analysis(const OpenRequest& request, OpeningContext& cx)
{
    // One opening is one action: a note of it is shown once, though the data
    // file behind a default control file is read twice.
    NotesOnce once(cx.sv, cx.log);
    OpeningContext each_note_once{cx.state, cx.analysis, cx.log, once, cx.host, cx.msgline};
    Opening opening(request, each_note_once);
    return opening.run();
}

} // namespace meru::mainloop
