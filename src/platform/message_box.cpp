#include "platform/message_box.h"

#include "platform/modal_front.h"
#include "platform/qtext.h"
#include "platform/script.h"

#include <QMessageBox>

namespace meru::platform {

namespace {

QMessageBox::Icon qt_icon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Exclamation: return QMessageBox::Warning;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int message_box(const ModalHost& host, std::string_view text, std::string_view caption, BoxButtons buttons,
                BoxIcon icon)
{
    QMessageBox box(qt_icon(icon), qs(caption), qs(text),
                    buttons == BoxButtons::Ok ? QMessageBox::Ok : (QMessageBox::Ok | QMessageBox::Cancel),
                    host.owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(buttons == BoxButtons::Ok ? QMessageBox::Ok : QMessageBox::Cancel);
    if (host.script)
        return host.script->at_message_box(text, caption,
                                           buttons == BoxButtons::Ok ? BoxChoice::Ok : BoxChoice::OkCancel, &box);
    return exec_in_front(box) == QMessageBox::Ok ? 1 : 2;
}

bool ask_yes_no(const ModalHost& host, std::string_view text, std::string_view caption)
{
    QMessageBox box(QMessageBox::Question, qs(caption), qs(text), QMessageBox::Yes | QMessageBox::No, host.owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    if (host.script) return host.script->at_question(text, &box);
    return exec_in_front(box) == QMessageBox::Yes;
}

} // namespace meru::platform
