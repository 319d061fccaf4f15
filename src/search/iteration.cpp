#include "search/iteration.h"

#include "core/services.h"
#include "partition/termops.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>

namespace meru::search {

namespace {

constexpr int kListWidth = 79; // columns of a line of the attribute-set listing

// A literal of this iteration matches one of the last when it is the same, or an
// added attribute (not of slot 1 or 2) whose slot is exactly one above the old
// literal's added attribute.
bool cycle_match(partition::Literal now, partition::Literal before, const partition::AddedAttributes& added)
{
    if (now == before) return true;
    if ((now < 0) != (before < 0)) return false;
    const int s_now = added.slot_of(partition::attribute_of(now));
    const int s_before = added.slot_of(partition::attribute_of(before));
    return s_now > 2 && s_before >= 1 && s_now == s_before + 1;
}

bool stuck(const partition::TermList& now, const partition::TermList& before, const partition::AddedAttributes& added)
{
    if (now.count() != before.count() || now.q() != before.q()) return false;
    for (std::size_t k = 0; k < now.lits.size(); ++k)
        if (!cycle_match(now.lits[k], before.lits[k], added)) return false;
    return true;
}

// The attribute set's names in lines of at most 79 columns.
void list_names(const std::vector<int>& set, const files::ControlTables& t, io::LogWriter& log)
{
    std::string line;
    for (int l : set) {
        if (l < 1 || static_cast<std::size_t>(l) >= t.line.size()) continue;
        std::string name = " " + t.line[static_cast<std::size_t>(l)].name;
        if (line.size() + name.size() > kListWidth) {
            log.write(line);
            line.clear();
        }
        line += name;
    }
    if (!line.empty()) log.write(line);
}

} // namespace

void next_letter(int& letter, io::LogWriter& log)
{
    ++letter;
    if (letter > kLetterCount) {
        log.write("NOTE: alphabet run out!");
        letter -= kLetterCount;
    }
}

void start_iterative(IterationState& s, io::LogWriter& log)
{
    next_letter(s.letter, log);
    s.iteration = 1;
    s.stop = false;
    s.max_reached = false;
    s.lastpart.clear();
    s.lastflag = 1;
}

Ending stop_rules(IterationState& s, const partition::Partition& cur, bool primattr,
                  const partition::AddedAttributes& added, std::vector<int>& attribute_set, std::string& msgline,
                  Services& sv, Notices& told, io::LogWriter& log, const partition::PartitionWindow& show)
{
    s.stop = false;
    if (s.iteration >= 2 && (partition::pequal(cur.repflag, cur.first, s.lastflag, s.lastpart) ||
                             partition::pequal(1 - cur.repflag, cur.second, s.lastflag, s.lastpart))) {
        msgline = "     ***Identical to partition on last iteration***   $";
        s.stop = true;
    } else if (primattr && s.iteration >= 2 && stuck(cur.first, s.lastpart, added)) {
        msgline = " Seems stuck in infinite cycle ?$";
        s.stop = true;
    }
    if (s.iteration == 1 && cur.first.q() == 1 && cur.first.count() == 1) {
        log.write(" A \"single attribute partition\" (q=1,p_1=1) is best.");
        log.write(" It cannot be improved by iterating.");
        if (show) show(cur.first, cur.repflag, "Partition:");
    }
    const bool identical = s.stop && msgline.find("Identical") != std::string::npos;
    const Ending e = finish_iterative(s, attribute_set, sv, told, log);
    if (e == Ending::none || e == Ending::user || e == Ending::maximum) return e;
    return identical ? Ending::identical : Ending::stuck;
}

Ending finish_iterative(IterationState& s, std::vector<int>& attribute_set, Services& sv, Notices& told,
                        io::LogWriter& log)
{
    const bool user = sv.search_end();
    if (!user && !s.stop && !s.max_reached) return Ending::none;
    Ending e = Ending::identical;
    if (user) {
        told.add_note("User ended iterative search during iteration" + io::fmt_i(s.iteration, 4) + "$",
                      NoteKind::Full, true);
        sv.clear_search_end();
        e = Ending::user;
    } else if (s.max_reached) {
        log.write("Maximum allowed iterations reached");
        e = Ending::maximum;
    } else {
        log.write(" Convergence (same as last iteration partition) in " + io::fmt_i(s.iteration, 4) + " iterations ");
    }
    if (s.iteration >= 2 && !attribute_set.empty()) attribute_set.pop_back();
    s.iterative = false;
    return e;
}

bool next_iteration(IterationState& s, const partition::Partition& cur, int new_line, int maxiter, bool detailed,
                    const files::ControlTables& t, std::vector<int>& attribute_set, Services& sv, Notices& told,
                    io::LogWriter& log)
{
    if (s.iteration == 1 || attribute_set.empty()) attribute_set.push_back(new_line);
    else attribute_set.back() = new_line;
    s.lastpart = cur.first;
    s.lastflag = cur.repflag;
    ++s.iteration;

    if (s.iteration > maxiter) {
        log.write("Iterations stopped. Maximum allowed reached");
        s.max_reached = true;
        finish_iterative(s, attribute_set, sv, told, log);
        return false;
    }
    if (sv.search_end()) {
        attribute_set.pop_back();
        s.iterative = false;
        return false;
    }
    log.write("New Iteration");
    if (detailed) {
        log.write(" Current positive attribute set is now:");
        list_names(attribute_set, t, log);
    }
    sv.thinking("Searching: Iteration " + io::fmt_i(s.iteration, 2), true);
    return true;
}

} // namespace meru::search
