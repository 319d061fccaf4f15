#pragma once
// List-box callbacks: each turns the selection of a list box into flags, one per
// item (item i at index i), that the dialog's owner reads after the dialog closes.
// A callback clears the flags of items 1 .. n+1 (n items) and sets those of the
// selected items; the general one also records the list's current text.
#include "platform/dialogs.h"

#include <string>
#include <vector>

namespace meru::ui {

// The selections the callbacks leave for the dialogs' owners: `selflag` for the
// general dialogs, `yselflag` for the Y-variable lists, `tselflag` for the
// Transform dialog; `seltext` the current text (50 characters) of the list last
// handled by lbsel.
struct Selections {
    std::vector<bool> selflag;
    std::vector<bool> yselflag;
    std::vector<bool> tselflag;
    std::string seltext;
};
constexpr std::size_t kSelTextWidth = 50;

// Sets `flags` from list `id` of `dlg`: elements 1 .. n+1 false (the vector grows
// when shorter), then true for every selected item. Elements beyond n+1 keep their
// values.
void select_flags(const platform::Dialog& dlg, int id, std::vector<bool>& flags);

// The three callbacks, as the dialog library calls them (the kind is not looked at).
void lbsel(platform::Dialog& dlg, int id, Selections& sel);  // selflag and seltext
void lbsely(platform::Dialog& dlg, int id, Selections& sel); // yselflag
void lbselt(platform::Dialog& dlg, int id, Selections& sel); // tselflag

// The callbacks bound to `sel`, for Dialog::set_callback.
platform::DialogCallback lbsel_callback(Selections& sel);
platform::DialogCallback lbsely_callback(Selections& sel);

} // namespace meru::ui
