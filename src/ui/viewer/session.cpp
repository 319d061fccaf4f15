#include "ui/viewer/session.h"

#include "files/textutil.h"

#include <algorithm>

namespace meru::ui::viewer {

namespace {

// Rows of a file that make a search at open worth it.
constexpr long long kSearchMinLines = 45;
// The highlighted row of a hit: the page's second line.
constexpr int kHitRow = 3;

} // namespace

Session::Session(const LineIndex& index, SessionSetup setup, int& textcol1, Draw draw, NotFound not_found)
    : index_(index), setup_(setup), textcol1_(textcol1), draw_(std::move(draw)), not_found_(std::move(not_found))
{
    pager_.n = setup.n;
}

void Session::open(std::string_view search_text)
{
    pager_ = Pager{};
    pager_.n = setup_.n;
    pager_.total = index_.lines();
    m_ = static_cast<int>(kSearchWidth);
    if (setup_.search_at_open) find_text_ = files::pad(search_text.substr(0, kSearchWidth), kFindWidth);
    open_search_mode_ = setup_.search_at_open && pager_.total >= kSearchMinLines;
    search_mode_ = open_search_mode_;
    find_mode_ = false;
    find_used_ = false;
    search_or_first_page(true);
}

void Session::redraw(int highlight)
{
    const Page page = next_page(pager_, highlight);
    if (draw_) draw_(page);
}

void Session::search_or_first_page(bool rewinding)
{
    if (rewinding) {
        pager_.rewind();
        end_reached_ = false;
    }
    pager_.L = 0;
    if (!search_mode_) {
        redraw();
        textcol1_ = 1;
        end_reached_ = false;
        return;
    }
    const std::size_t length = static_cast<std::size_t>(std::max(m_ - 1, 0));
    const std::string needle = find_text_.substr(0, length);
    const long long total = pager_.total;
    for (;;) {
        const long long from = pager_.p;
        if (from < total) {
            if (auto hit = index_.find(from, needle, kSearchColumns); hit && *hit < total) {
                // The lines before the hit were read and counted; the hit becomes
                // the page's second line.
                pager_.L += *hit - from;
                pager_.p = *hit + 1;
                pager_.back_up(2);
                redraw(find_mode_ ? kHitRow : 0);
                find_mode_ = false;
                return;
            }
            pager_.L += total - from;
        }
        pager_.p = total + 1;
        if (end_reached_) {
            if (find_mode_ && not_found_) not_found_();
            pager_.rewind();
            return;
        }
        end_reached_ = true;
        pager_.rewind();
        if (setup_.search_at_open) {
            pager_.L = 0;
            redraw();
            return;
        }
    }
}

void Session::page_down()
{
    if (!pager_.at_end) redraw();
}

void Session::page_up()
{
    pager_.back_up(pager_.s + pager_.n - 1);
    redraw();
}

void Session::line_down()
{
    pager_.back_up(pager_.n - 2);
    redraw();
}

void Session::line_up()
{
    pager_.back_up(pager_.n);
    redraw();
}

void Session::top()
{
    pager_.rewind();
    pager_.L = 0;
    redraw();
}

void Session::end()
{
    if (pager_.total > 44) {
        pager_.L += std::max(pager_.total - pager_.p, 0LL);
        pager_.p = pager_.total + 1;
        pager_.back_up(pager_.n);
        ++pager_.L;
        redraw();
    }
    pager_.at_end = true;
}

void Session::right()
{
    textcol1_ += 20;
    pager_.back_up(pager_.n - 1);
    redraw();
}

void Session::left()
{
    textcol1_ = std::max(textcol1_ - 20, 1);
    pager_.back_up(pager_.n - 1);
    redraw();
}

void Session::begin(std::string_view search_text)
{
    pager_.back_up(pager_.n - 3);
    find_text_ = files::pad(search_text.substr(0, std::min(search_text.size(), kSearchWidth)), kFindWidth);
    // The caller's text is a whole time line: search for all of it, whatever a
    // Find left.
    m_ = static_cast<int>(kSearchWidth);
    search_mode_ = true;
    search_or_first_page(false);
}

void Session::find(std::string_view typed)
{
    const std::string squeezed =
        files::squeeze(files::pad(typed.substr(0, std::min(typed.size(), kFindWidth)), kFindWidth));
    m_ = static_cast<int>(std::min(squeezed.size(), kSearchWidth));
    find_text_ = files::pad(squeezed.substr(0, std::min(squeezed.size(), kSearchWidth)), kFindWidth);
    if (pager_.s - 3 >= 1) pager_.back_records(pager_.s - 3);
    find_mode_ = true;
    search_mode_ = true;
    find_used_ = true;
    search_or_first_page(false);
}

void Session::go_to(std::string_view time_line)
{
    find_text_ = files::pad(time_line.substr(0, std::min(time_line.size(), kSearchWidth)), kFindWidth);
    m_ = static_cast<int>(kSearchWidth);
    search_mode_ = open_search_mode_;
    search_or_first_page(true);
}

std::string Session::search_text() const { return files::rtrim(find_text_.substr(0, kSearchWidth)); }

} // namespace meru::ui::viewer
