#pragma once
// The kinds of the message box and of the note: which buttons and icon a box
// shows, and which dialog a note uses and how much of its text it shows.

namespace meru {

// Buttons and icon of a message box.
enum class BoxKind {
    Ok,       // OK only, information icon
    OkCancel, // OK and Cancel, information icon
    Question, // OK and Cancel, question icon
};

// The note's dialog and length. The values are the note's length rule: a note
// of a value above 2 shows at most value - 1 characters.
enum class NoteKind {
    Full = 0,   // note with OK, the whole text up to its "$"
    Quit = 1,   // the quit note of a by-group run: OK, "Quit by group", "Yes to all"
    Cut49 = 50, // note with OK, at most 49 characters
    Cut79 = 80, // note with OK, at most 79 characters
};

} // namespace meru
