#pragma once
// A window's queue of typed keys, read one code at a time as a keystroke call
// delivers them: the character code for ordinary keys (Esc 27, Enter 13), and for
// extended keys a 0 followed by the scan code (PgUp 73, PgDn 81, Up 72, Down 80,
// Left 75, Right 77, Home 71, End 79).
#include <deque>
#include <optional>

class QKeyEvent;

namespace meru::platform {

// The code of the Esc key.
constexpr int kEscCode = 27;

// A keystroke: its code, and whether it is an extended key (read as 0, code).
struct Keystroke {
    int code = 0;
    bool extended = false;
};

// The keystroke for a Qt key event; nullopt for keys that give no code (Shift
// alone, and the like).
std::optional<Keystroke> keystroke_of(const QKeyEvent& event);

class KeyQueue {
public:
    // Keystrokes the queue holds at most; a key typed when it is full is dropped.
    static constexpr int capacity = 255;

    // Appends a keystroke; false (and the queue is unchanged) when it is full.
    bool push(Keystroke key);
    // True when a code is waiting.
    bool has_key() const { return !keys_.empty(); }
    // The next code: for an extended key first 0, then its scan code. nullopt when
    // the queue is empty.
    std::optional<int> get();
    // Keystrokes waiting (an extended key counts once).
    int size() const { return static_cast<int>(keys_.size()); }
    void clear();

private:
    std::deque<Keystroke> keys_;
    bool scan_code_next_ = false; // the 0 of the front extended key was read
};

} // namespace meru::platform
