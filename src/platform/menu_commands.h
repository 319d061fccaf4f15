#pragma once
// The frame's predefined menu commands, used as menu routines: save the focused
// window's canvas as an image, print it (to a PDF file), exit, select the focused
// canvas (graphic or all) and copy it to the clipboard, cascade and tile the
// windows, and the command that does nothing (titles and separators).
#include "platform/menus.h"
#include "platform/modal_host.h"

#include <functional>

namespace meru::platform {

class Frame;

enum class MenuCommand { SaveImage, Print, Exit, SelectGraphic, SelectAll, Copy, Cascade, Tile, Nothing };

// Runs `command` at once. Exit calls `exit` (the process ends with status 0 when
// it is empty). Returns false when there was nothing to act on (no focused window)
// or the user cancelled.
bool run_menu_command(MenuCommand command, Frame& frame, const ModalHost& host,
                      const std::function<void()>& exit = {});

// The command as a menu routine.
MenuRoutine menu_command(MenuCommand command, Frame& frame, ModalHost host, std::function<void()> exit = {});

} // namespace meru::platform
