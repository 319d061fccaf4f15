#pragma once
// The viewer's page model: the file is read as a sequential unit (a next line,
// the end-of-file mark once it was read, records moved back one at a time), with
// the counters the viewer's moves are defined by:
//   L        lines read since the last rewind or search (never below 0);
//   s        rows of the last page drawn (the row of the first grey row when the
//            page reached the end of the file);
//   at end   the last page reached the end of the file.
// Backing up k lines moves the unit back one record per step only while
// L <= total + 1, so the reads past the end that a short last page makes are
// undone without moving the unit.
#include <vector>

namespace meru::ui::viewer {

struct Pager {
    long long total = 0; // lines of the file
    int n = 45;          // page size: a page shows n - 1 rows
    long long p = 0;     // next line to read; total + 1 once the end of the file was read
    long long L = 0;
    int s = 0;
    bool at_end = false;

    // Reads the next line: its index, or -1 at the end of the file.
    long long read();
    void rewind() { p = 0; }
    // One record back (none before the first line).
    void backspace()
    {
        if (p > 0) --p;
    }
    // k times: one record back when L <= total + 1; then L := max(L - 1, 0).
    void back_up(long long k);
    // k times: one record back; L := max(L - 1, 0).
    void back_records(long long k);
};

// One page as it is drawn: rows 2 .. n (3 .. n + 1 below the data file's name
// row) hold these lines, -1 for a grey row past the end of the file.
struct Page {
    std::vector<long long> rows;
    int highlight = -1; // index into rows of the highlighted line, -1 for none
};

// Reads the next page from the pager's position: n - 1 reads, each counted in L;
// sets s and at end. Highlight row h counts as the page routine counts its rows
// (3 is the page's second line; 0 for none).
Page next_page(Pager& pager, int h);

} // namespace meru::ui::viewer
