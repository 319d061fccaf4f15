#include "ui/messages.h"

#include "core/services.h"
#include "platform/dialogs.h"
#include "platform/io/logwriter.h"
#include "platform/message_box.h"
#include "platform/script.h"
#include "ui/context.h"
#include "ui/msgtext.h"

namespace meru::ui {

namespace {

using platform::BoxButtons;
using platform::BoxIcon;

// In a scripted run that has ended every modal answers at once: loops that wait
// for a particular button must stop.
bool run_ended(const Context& ctx) { return ctx.host.script && ctx.host.script->ended(); }

} // namespace

int msgbox(Context& ctx, std::string& text, BoxKind kind, bool logflag)
{
    text = box_text(text);
    if (logflag) ctx.log.write(text);
    const BoxButtons buttons = kind == BoxKind::Ok ? BoxButtons::Ok : BoxButtons::OkCancel;
    const BoxIcon icon = kind == BoxKind::Question ? BoxIcon::Question : BoxIcon::Information;
    return platform::message_box(ctx.host, text, box_caption(text), buttons, icon);
}

void msgok(Context& ctx, std::string_view text)
{
    platform::message_box(ctx.host, std::string(upto_dollar(text)) + " ", "Message...", BoxButtons::Ok,
                          BoxIcon::None);
}

bool quiz(Context& ctx, std::string& text)
{
    const Question q = question_text(text);
    text = q.text;
    for (;;) {
        auto dialog = platform::Dialog::load(ctx.dialogs, kDialogQuiz, ctx.host);
        if (!dialog) {
            ctx.log.write("Error: dialogquiz  not found");
            return false;
        }
        dialog->set_text(-1, q.shown);
        dialog->set_text(1001, "quest");
        dialog->set_answer("yes", 1);
        dialog->set_answer("no", 7);
        dialog->set_dismissable(true);
        const int result = dialog->run_modal();
        dialog.reset();
        if (result != 1000 || run_ended(ctx)) return result == 1;
        helpshow(ctx, q.topic);
    }
}

int note(Context& ctx, std::string& text, NoteKind kind, bool logflag)
{
    text = note_text(text, kind);
    if (logflag) ctx.log.write(text);
    const bool quit = kind == NoteKind::Quit;
    for (;;) {
        auto dialog = platform::Dialog::load(ctx.dialogs, quit ? kDialogQuit : kDialogNote, ctx.host);
        if (!dialog) {
            ctx.log.write(quit ? "Error: dialogquit  not found" : "Error: dialognote not found");
            return 1;
        }
        dialog->set_text(1402, text);
        dialog->set_text(1401, "meru");
        dialog->set_answer("ok", 1);
        dialog->set_dismissable(true);
        const int result = dialog->run_modal();
        if (result == 1 || run_ended(ctx)) return 1;
        if (quit && result == 1410) return 2;
        if (quit && result == 1411) return 4;
    }
}

void helpshow(Context& ctx, std::string_view topic)
{
    topic = topic.substr(0, std::min(topic.size(), kTopicMax));
    if (ctx.help) {
        ctx.help(topic);
        return;
    }
    // Stand-in until the help files are read: names the topic.
    platform::message_box(ctx.host, "No HELP available on: " + std::string(topic) + " ", "No help ", BoxButtons::Ok,
                          BoxIcon::Exclamation);
}

void tell(Services& services, io::LogWriter& log, Notices& notices)
{
    for (const Notice& n : notices.items()) {
        switch (n.kind) {
        case Notice::Kind::note: services.note(n.text, n.note_kind, n.log); break;
        case Notice::Kind::help: services.helpshow(n.text); break;
        case Notice::Kind::message: services.msgok(n.text); break;
        case Notice::Kind::line: log.write(n.text); break;
        }
    }
    notices.clear();
}

} // namespace meru::ui
