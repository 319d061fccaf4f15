#pragma once
// The request flags: one block, raised by the menu routines (which run inside
// the event pumps of the one program thread) and polled, dispatched and cleared
// by the main loop. Group flags say which menu a request came from, item flags
// which item.
namespace meru::mainloop {

struct MenuFlags {
    // Groups.
    bool qfile = false; // File request (Open, New, a recent file)
    bool qedit = false;
    bool qy = false;
    bool qcrit = false; // Criteria title, Search:Go!
    bool qrank = false; // Rank items, Search:Go!
    bool strat = false; // Strategy title
    bool qext = false;  // Extent, raised by the main loop after the Strategy dialog
    bool qcont = false; // next step of a search or of a series of searches
    bool qproc = false; // Process items, View:Added attributes
    bool qview = false;
    bool qopt = false;
    bool qhelp = false;

    // Items.
    bool fopen = false, fnew = false;
    int recentix = 0; // recent file chosen, 1 = most recent; 0 = none
    bool edcf = false, edfile = false, esplit = false, eboot = false;
    bool yok = false, ydist = false, yscat = false, ysel = false, ybygrp = false, ytrans = false;
    // Not a request: the Y menu's OK item offers the default Y (set when an
    // opening writes "Ok  NAME", cleared once a Y is confirmed). Kept by the loop head.
    bool yoffered = false;
    bool scontinue = true;  // no Search:End pending
    bool searchend = false; // Search:End chosen
    bool prect = false, plists = false, pdistab = false, pstats = false, prandom = false, ptree = false,
         ptest = false, paddatt = false;
    bool vaddatt = false;
    bool habout = false, hfaq = false, hmanual = false, htopics = false, hweb = false;
    bool vlog = false, vdata = false, vcf = false, vother = false;
    bool sgo = false;       // the Search:Go! stages run while set
    bool searching = false; // a Search:Go! run is under way
    // Search:Go! has been chosen outside tree mode since start-up (the best lists
    // may hold a search's partitions); never cleared.
    bool nontree_search = false;
    int nsearch = 0;       // Search:Go! choices since start-up; never reset
    bool treemade = false; // the last search made a tree partition
    bool rrankplot = false, rfixpos = false, reffcuts = false, rroc = false, rqroc = false;
};

// Clears every request at once, as the loop head does: all group and item
// flags, recentix 0, scontinue true. Kept: nsearch, treemade, nontree_search,
// yoffered, esplit and eboot.
void clear_requests(MenuFlags& f);

// The groups that send the idle poll to the dispatch, in the poll's two tiers.
bool first_tier_raised(const MenuFlags& f);  // File, Edit, Y, Criteria, Rank, Strategy, Extent
bool second_tier_raised(const MenuFlags& f); // Process, View, Options, Help

} // namespace meru::mainloop
