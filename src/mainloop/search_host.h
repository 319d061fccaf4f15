#pragma once
// What the search loop shows while it runs: the progress window's texts, the
// search window (its row, the marks of the evaluated candidates, new scales),
// the event pumps and the Search:End request.
#include "search/search_loop.h"

#include <string>

namespace meru::mainloop {

struct Program;

class SearchWindow : public search::SearchHost {
public:
    SearchWindow(Program& p, bool graphics) : p_(p), graphics_(graphics) {}

    // Opens the search window and draws its axes under `caption` ("Searching",
    // the iteration, the serial Y, the by-group), graphics only.
    void open(const std::string& caption, const search::WindowScale& scale);

    void progress(std::string_view text) override;
    void yield() override;
    void wait_pump() override;
    bool search_end() override;
    void message(std::string_view text) override;
    void window_row(std::string_view text) override;
    void window_mark(int complexity, float g, char mark) override;
    void window_rescale(double ymax, double xmax, double xstep) override;

private:
    Program& p_;
    bool graphics_ = false;
    bool open_ = false;
    std::string caption_;
};

} // namespace meru::mainloop
