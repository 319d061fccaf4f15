#pragma once
// The File menu's recent-file items: one per recent control file after a
// separator, most recent first; choosing one reopens that control file.
namespace meru::mainloop {

struct Program;

// Appends the separator and the items of the recent files read at start-up.
void append_recent_items(Program& program);

// Puts the saved options into the preferences' options line and rewrites the
// file whole (a message box says when it cannot be written).
void prefwrite(Program& program);

// Rewrites the preferences file and the items' texts; with `newitem` (the list
// has grown by one) appends the item of the newest entry, after a separator
// when it is the first.
void recentmenu(Program& program, bool newitem);

// The routine of recent item k: raises the File request with recentix k.
void recentpick(Program& program, int k);

} // namespace meru::mainloop
