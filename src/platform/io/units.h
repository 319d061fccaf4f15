#pragma once
// Which kind of object owns each unit number: a child window of the frame or a
// file. A unit number is never both at once. Plain C++ so that the file units
// (this folder) and the window units (src/platform) share one registry.
#include <map>

namespace meru::platform {

enum class UnitKind { none, window, file };

class UnitRegistry {
public:
    // The kind that owns `unit` now (none when the number is free).
    UnitKind kind(int unit) const;
    // Records that `kind` owns `unit`. True when the unit was free or already
    // owned by the same kind; false (and nothing changes) when the other kind
    // owns it.
    bool claim(int unit, UnitKind kind);
    // Frees `unit` if `kind` owns it; a unit owned by the other kind is left alone.
    void release(int unit, UnitKind kind);

private:
    std::map<int, UnitKind> owners_;
};

} // namespace meru::platform
