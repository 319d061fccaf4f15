#include "ui/help.h"

#include "platform/dialogs.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"
#include "platform/message_box.h"
#include "platform/script.h"
#include "ui/context.h"
#include "ui/listsel.h"
#include "ui/messages.h"

namespace meru::ui {

namespace {

bool run_ended(const Context& ctx) { return ctx.host.script && ctx.host.script->ended(); }

void no_help_box(Context& ctx, std::string_view topic)
{
    platform::message_box(ctx.host, "No HELP available on: " + fixed_width(topic, kHelpTopicWidth) + " ", "No help ",
                          platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
}

// Looks the topic up and reads its text into help.lines. False, with the box or the
// log line said, when there is nothing to show.
bool load_topic(Context& ctx, HelpState& help, std::string_view topic)
{
    const std::string t = fixed_width(topic, kHelpTopicWidth);
    auto found = find_topic(help.units, help.index_unit, t);
    if (!found) {
        no_help_box(ctx, t);
        return false;
    }
    help.last = *found;
    TopicText text = read_topic_text(help.units, help.text_unit, found->record);
    if (text.status != 0) {
        ctx.log.write(io::list_record("Error reading help file meruhlp.txt error=", text.status));
        return false;
    }
    help.lines = std::move(text.lines);
    return true;
}

// The dialog `id` with the topic's lines in its list, or null (log line said).
std::unique_ptr<platform::Dialog> topic_dialog(Context& ctx, HelpState& help, int id, std::string_view missing)
{
    auto dialog = platform::Dialog::load(ctx.dialogs, id, ctx.host);
    if (!dialog) {
        ctx.log.write(missing);
        return nullptr;
    }
    dialog->set_int(kHelpTextList, static_cast<int>(help.lines.size()), platform::kNumItems);
    for (std::size_t j = 0; j < help.lines.size(); ++j)
        dialog->set_text(kHelpTextList, "  " + help.lines[j], static_cast<int>(j) + 1);
    dialog->set_callback(kHelpTextList, lbsel_callback(help.text_selections));
    dialog->set_answer("ok", 1);
    dialog->set_dismissable(true);
    return dialog;
}

} // namespace

void helpshow(Context& ctx, HelpState& help, std::string_view topic)
{
    if (!load_topic(ctx, help, topic)) return;
    auto dialog = topic_dialog(ctx, help, kDialogHelp, "Error: dialoghelp  box  not found");
    if (!dialog) return;
    // Closing by OK records the topic read; Esc or the close box is the user's
    // choice and leaves no trace.
    if (dialog->run_modal() == 1 && ctx.log.is_open()) ctx.log.write(fixed_width(help.last.name, kHelpNameWidth));
}

void tipshow(Context& ctx, HelpState& help, std::string_view topic, bool& next)
{
    next = false;
    if (!load_topic(ctx, help, topic)) return;
    auto dialog = topic_dialog(ctx, help, kDialogHelpTip, "Error: dialoghelptip  box  not found");
    if (!dialog) return;
    next = dialog->run_modal() == kNextTipButton;
}

void helptopics(Context& ctx, HelpState& help, bool tipmode)
{
    TopicTable table = listable_topics(help.units, help.index_unit);
    help.topics = std::move(table.names);
    if (table.overflow) msgok(ctx, "Hey Kelb, run out of space for >300 topics$");
    const int count = static_cast<int>(help.topics.size());
    std::vector<bool>& flags = help.selections.selflag;
    if (flags.size() < help.topics.size() + 1) flags.resize(help.topics.size() + 1, false);
    std::fill(flags.begin(), flags.begin() + count + 1, false);

    if (tipmode) {
        if (count == 0) {
            no_help_box(ctx, {});
            return;
        }
        help.random.seed(-1);
        bool next = false;
        do {
            const int k = tip_number(count, help.random.next());
            tipshow(ctx, help, help.topics[static_cast<std::size_t>(k - 1)], next);
        } while (next && !run_ended(ctx));
        return;
    }

    auto dialog = platform::Dialog::load(ctx.dialogs, kDialogHelpTopics, ctx.host);
    if (!dialog) {
        ctx.log.write("Error: dialog box 31 not found");
        return;
    }
    dialog->set_int(kHelpTopicsList, count, platform::kNumItems);
    for (int j = 1; j <= count; ++j)
        dialog->set_text(kHelpTopicsList, help.topics[static_cast<std::size_t>(j - 1)], j);
    dialog->set_callback(kHelpTopicsList, lbsel_callback(help.selections));
    for (;;) {
        if (dialog->run_modal() == platform::kCancelId || run_ended(ctx)) break;
        // The topic dialogs have list callbacks of their own: work from a copy.
        const std::vector<bool> chosen = help.selections.selflag;
        const std::string topic = help.selections.seltext;
        for (int j = 1; j <= count && static_cast<std::size_t>(j) < chosen.size(); ++j)
            if (chosen[static_cast<std::size_t>(j)]) helpshow(ctx, help, topic);
    }
    if (ctx.frame.is_open(kHelpTopicsWindow))
        ctx.frame.set_window_size(kHelpTopicsWindow, {platform::SizeState::minimised});
}

void install_help(Context& ctx, HelpState& help)
{
    ctx.help = [&ctx, &help](std::string_view topic) { helpshow(ctx, help, topic); };
}

} // namespace meru::ui
