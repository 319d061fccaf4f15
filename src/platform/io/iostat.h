#pragma once
// Status values of record input/output, as the callers test them:
// 0 success, a positive value an error, a negative value the end of a record or file.

namespace meru::io {

inline constexpr int kOk = 0;
inline constexpr int kEndOfFile = -1;   // no more records
inline constexpr int kEndOfRecord = -2; // character read reached the end of the record

// Positive error statuses.
inline constexpr int kErrNotOpen = 1;     // the unit or reader is not open
inline constexpr int kErrOpen = 2;        // the file cannot be opened or created
inline constexpr int kErrExists = 3;      // status NEW on an existing file
inline constexpr int kErrNotFound = 4;    // status OLD on a missing file
inline constexpr int kErrBadRecord = 5;   // direct access: record number below 1 or beyond the file
inline constexpr int kErrWrongAccess = 6; // operation not allowed for the unit's access mode
inline constexpr int kErrBadFormat = 7;   // format text that cannot be interpreted
inline constexpr int kErrBadInput = 8;    // field that does not hold a value of its kind
inline constexpr int kErrWrite = 9;       // the file cannot be written
inline constexpr int kErrUnitInUse = 10;  // the unit belongs to a window
inline constexpr int kErrBadUnit = 11;    // no such unit or an invalid unit number

} // namespace meru::io
