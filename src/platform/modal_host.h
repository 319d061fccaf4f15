#pragma once
// What every modal wait of the platform needs: the window that owns the modal
// (the frame; may be null) and, in a scripted run, the script that answers it.
class QWidget;

namespace meru::platform {

class Script;

struct ModalHost {
    QWidget* owner = nullptr;
    Script* script = nullptr; // null unless the run is scripted (MERU_SCRIPT)
};

} // namespace meru::platform
