#pragma once
// Every modal window of the platform (dialog, message box, question, file
// dialog) runs through exec_in_front, so that it is the window the user sees
// and types into while it waits.
class QDialog;

namespace meru::platform {

// Runs `dialog` modally and returns what QDialog::exec returns. As soon as its
// loop runs the dialog is raised and activated: a window manager may give the
// focus back to the frame that another modal window just closed over, or keep a
// new window behind the focused one, and a modal window left behind the frame
// waits unseen while the user's next click on the frame only brings it up.
// A dialog centred on its owner stays centred while the owner changes size or
// place under it.
int exec_in_front(QDialog& dialog);

} // namespace meru::platform
