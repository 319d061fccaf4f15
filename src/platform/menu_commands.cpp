#include "platform/menu_commands.h"

#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/file_dialog.h"
#include "platform/frame.h"
#include "platform/io/safe_files.h"
#include "platform/modal_front.h"
#include "platform/script.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMdiArea>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace meru::platform {

namespace {

const Canvas* focused_canvas(Frame& frame)
{
    int unit = frame.focus();
    return unit == no_window ? nullptr : frame.canvas(unit);
}

// Asks for the name of a file to write; a script answers with `file PATH`. A
// name without an extension gets the filter's first, `suffix`.
std::optional<std::string> save_name(const ModalHost& host, const QString& title, const QString& filter,
                                     std::string_view suffix)
{
    std::optional<std::string> name;
    if (host.script) {
        name = host.script->at_file_dialog(title.toStdString(), false);
    } else {
        QFileDialog dlg(host.owner, title, QString(), filter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        if (exec_in_front(dlg) == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
            name = dlg.selectedFiles().front().toStdString();
    }
    if (name) name = with_extension(*name, suffix);
    return name;
}

// The image as a one-page PDF, its page the image's size.
QByteArray pdf_of(const QImage& image)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&bytes);
    pdf.setResolution(96);
    pdf.setPageSize(QPageSize(QSizeF(image.width(), image.height()), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&pdf);
    if (p.isActive()) {
        QRect page = p.viewport();
        QSize fit = image.size().scaled(page.size(), Qt::KeepAspectRatio);
        p.drawImage(QRect(QPoint(0, 0), fit), image);
        p.end();
    }
    return bytes.data();
}

// The image in `format` ("PNG", "BMP").
QByteArray encoded(const QImage& image, const char* format)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    image.save(&bytes, format);
    return bytes.data();
}

} // namespace

FileCommand write_focused(MenuCommand command, Frame& frame, const ModalHost& host)
{
    FileCommand done;
    const Canvas* c = focused_canvas(frame);
    if (!c) return done;
    const bool print = command == MenuCommand::Print;
    const auto name = print ? save_name(host, "Print to file", "PDF files (*.pdf)", "pdf")
                            : save_name(host, "Save As", "Images (*.png *.bmp)", "png");
    if (!name) return done;
    done.chosen = true;
    done.path = *name;
    const QString path = QString::fromStdString(*name);
    const QByteArray bytes =
        print ? pdf_of(c->image()) : encoded(c->image(), path.endsWith(".bmp", Qt::CaseInsensitive) ? "BMP" : "PNG");
    // Written beside the file and renamed over it when whole: a full disk or a
    // missing folder leaves an earlier file as it was.
    done.why = bytes.isEmpty() ? "the picture could not be made"
                               : io::replace_contents(done.path, std::string_view(bytes.constData(), bytes.size()));
    return done;
}

bool run_menu_command(MenuCommand command, Frame& frame, const ModalHost& host, const std::function<void()>& exit)
{
    switch (command) {
    case MenuCommand::SaveImage:
    case MenuCommand::Print: {
        const FileCommand done = write_focused(command, frame, host);
        return done.chosen && done.why.empty();
    }
    case MenuCommand::Exit:
        if (exit) exit();
        else exit_program(0);
        return true;
    case MenuCommand::SelectGraphic:
    case MenuCommand::SelectAll:
    case MenuCommand::Copy: {
        // A selection is always the whole focused canvas; copying puts it on the clipboard.
        const Canvas* c = focused_canvas(frame);
        if (!c) return false;
        QGuiApplication::clipboard()->setImage(c->image());
        return true;
    }
    case MenuCommand::Cascade: frame.mdi_area().cascadeSubWindows(); return true;
    case MenuCommand::Tile: frame.mdi_area().tileSubWindows(); return true;
    case MenuCommand::Nothing: return true;
    }
    return false;
}

MenuRoutine menu_command(MenuCommand command, Frame& frame, ModalHost host, std::function<void()> exit)
{
    return [command, &frame, host, exit = std::move(exit)](bool) { run_menu_command(command, frame, host, exit); };
}

} // namespace meru::platform
