#include "mainloop/step_handlers.h"

#include "mainloop/bygroup_series.h"
#include "mainloop/editmenu.h"
#include "mainloop/file_requests.h"
#include "mainloop/mainloop.h"
#include "mainloop/menuflags.h"
#include "mainloop/process.h"
#include "mainloop/program.h"
#include "mainloop/rank_requests.h"
#include "mainloop/search_stage.h"
#include "mainloop/settings_requests.h"
#include "mainloop/view_requests.h"

namespace meru::mainloop {

Flow search_request(Program& p) { return p.flags.qrank ? rank_stage(p) : search_stage(p); }

namespace {

constexpr std::array<StepHandler, kSteps> kHandlers{{
    {Step::rank_titles, rank_titles},
    {Step::series, bygroup_series_step},
    {Step::close_search, close_search},
    {Step::edit, edit_request},
    {Step::options, options_request},
    {Step::view, view_requests},
    {Step::help, help_requests},
    {Step::file, file_request},
    {Step::y, y_request},
    {Step::settings, settings_request},
    {Step::process, process_request},
    {Step::search, search_request},
}};

consteval bool in_step_order()
{
    for (int s = 0; s < kSteps; ++s)
        if (static_cast<int>(kHandlers[s].step) != s) return false;
    return true;
}
static_assert(in_step_order(), "one handler a step, in the order of the steps");

} // namespace

const std::array<StepHandler, kSteps>& step_handlers() { return kHandlers; }

} // namespace meru::mainloop
