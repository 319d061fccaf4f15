#pragma once
// One viewing of a file: the page model and the search state, and the moves the
// viewer's keys and buttons make. The session decides what to read and which
// page to show; drawing the page and telling the user that a text was not found
// are the caller's (callbacks), so the moves can be checked without a window.
#include "ui/viewer/line_index.h"
#include "ui/viewer/pager.h"

#include <functional>
#include <string>
#include <string_view>

namespace meru::ui::viewer {

// Widths of the find text and of the caller's search text.
constexpr std::size_t kFindWidth = 50;
constexpr std::size_t kSearchWidth = 20;
// Columns of a line that a search looks at.
constexpr std::size_t kSearchColumns = 80;

struct SessionSetup {
    int n = 45;                  // page size (44 for the data file)
    bool log = false;            // the output log's behaviour: its search rules and Goto
    bool search_at_open = false; // open at the caller's search text
};

class Session {
public:
    using Draw = std::function<void(const Page& page)>;
    using NotFound = std::function<void()>;

    Session(const LineIndex& index, SessionSetup setup, int& textcol1, Draw draw, NotFound not_found);

    // Opens at the caller's search text (when the setup says so and the file has
    // at least 45 lines), else at the first page.
    void open(std::string_view search_text);

    void page_down();
    void page_up();
    void line_down();
    void line_up();
    void top();
    void end();
    void right();
    void left();
    // Searches on from the page's third line for the caller's search text.
    void begin(std::string_view search_text);
    // Searches on from the page's third line for `typed` (as the Find dialog
    // gives it: up to 50 characters, squeezed, of which 20 are kept).
    void find(std::string_view typed);
    // Searches from the top for a section's time line.
    void go_to(std::string_view time_line);

    // The find text becomes blank (the Find dialog's first showing in a viewing).
    void clear_find_text() { find_text_.assign(kFindWidth, ' '); }

    // The search text as it is written back: the find text's first 20
    // characters, trailing blanks dropped.
    std::string search_text() const;
    const std::string& find_text() const { return find_text_; }
    int recorded_length() const { return m_; }
    const Pager& pager() const { return pager_; }
    bool end_reached() const { return end_reached_; }
    bool find_used() const { return find_used_; }

private:
    void search_or_first_page(bool rewinding);
    void redraw(int highlight = 0);

    const LineIndex& index_;
    SessionSetup setup_;
    int& textcol1_;
    Draw draw_;
    NotFound not_found_;
    Pager pager_;
    std::string find_text_ = std::string(kFindWidth, ' ');
    int m_ = static_cast<int>(kSearchWidth);
    bool open_search_mode_ = false;
    bool search_mode_ = false;
    bool find_mode_ = false;   // a hit is shown highlighted
    bool end_reached_ = false; // a search met the end of the file since the last rewinding search
    bool find_used_ = false;
};

} // namespace meru::ui::viewer
