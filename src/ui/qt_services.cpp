#include "ui/qt_services.h"

#include "platform/events.h"
#include "ui/actlog.h"
#include "ui/context.h"
#include "ui/messages.h"
#include "ui/selfont.h"
#include "ui/thinking.h"

namespace meru::ui {

int QtServices::msgbox(std::string& text, BoxKind kind, bool log) { return ui::msgbox(ctx_, text, kind, log); }

void QtServices::msgok(std::string_view text) { ui::msgok(ctx_, text); }

bool QtServices::quiz(std::string_view question)
{
    std::string text(question);
    return ui::quiz(ctx_, text);
}

void QtServices::note(std::string_view text, NoteKind kind, bool log)
{
    std::string t(text);
    ui::note(ctx_, t, kind, log);
}

void QtServices::thinking(std::string_view text, bool show) { ui::thinking(ctx_, text, show); }

void QtServices::helpshow(std::string_view topic) { ui::helpshow(ctx_, topic); }

void QtServices::actlog(std::string_view text)
{
    std::string t(text);
    ui::actlog(ctx_.log, ctx_.history, t);
}

void QtServices::selfont(int sizecode) { ui::selfont(ctx_, sizecode); }

void QtServices::yield() { platform::yield(); }

} // namespace meru::ui
