#include "platform/modal_front.h"

#include <QDialog>
#include <QTimer>

namespace meru::platform {

int exec_in_front(QDialog& dialog)
{
    // Queued before exec() shows the dialog, run by its loop once it is shown.
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (!dialog.isVisible()) return;
        dialog.raise();
        dialog.activateWindow();
    });
    return dialog.exec();
}

} // namespace meru::platform
