#pragma once
// The frame's predefined menu commands, used as menu routines: save the focused
// window's canvas as an image, print it (to a PDF file), exit, select the focused
// canvas (graphic or all) and copy it to the clipboard, cascade and tile the
// windows, and the command that does nothing (titles and separators).
#include "platform/menus.h"
#include "platform/modal_host.h"

#include <functional>
#include <string>

namespace meru::platform {

class Frame;

enum class MenuCommand { SaveImage, Print, Exit, SelectGraphic, SelectAll, Copy, Cascade, Tile, Nothing };

// What Save As (SaveImage) or Print did with the focused window's canvas.
struct FileCommand {
    bool chosen = false; // a window had the focus and the user named a file
    std::string path;    // the file named
    std::string why;     // the system's reason when the file could not be written; empty when written
};

// Asks for a file and writes the focused canvas to it: as a PNG (a BMP for a
// name ending ".bmp") for SaveImage, as a one-page PDF for Print. The file is
// replaced only when its new contents are whole.
FileCommand write_focused(MenuCommand command, Frame& frame, const ModalHost& host);

// Runs `command` at once. Exit calls `exit` (the process ends with status 0 when
// it is empty). Returns false when there was nothing to act on (no focused window),
// the user cancelled, or the file could not be written.
bool run_menu_command(MenuCommand command, Frame& frame, const ModalHost& host,
                      const std::function<void()>& exit = {});

// The command as a menu routine.
MenuRoutine menu_command(MenuCommand command, Frame& frame, ModalHost host, std::function<void()> exit = {});

} // namespace meru::platform
