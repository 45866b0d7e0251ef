// A settings dialog's refusal of a field at OK: which field (its control and label), why
// (not a number, a value the configuration loader would refuse, one too wide for the data
// file), and the operator's message. A refused configuration line is named by the dialog
// field whose value lands on it. The Win32 side tells the operator and puts the focus on the
// field (setting_refusal_win.h).
#pragma once

#include "vlox/settings/textconv.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class FieldRefusalKind : int32_t {
    None,
    NotANumber,  // the text is not a number
    OutOfRange,  // a number the configuration loader would refuse (or beyond a double)
    TooWide,     // a number too wide for the data file's record fields
};

// The field an OK refused: the operator is told which, and the focus goes to it.
struct FieldRefusal {
    FieldRefusalKind Kind = FieldRefusalKind::None;
    int32_t Id = 0;    // its control; 0 when no field of the dialog lands on the value
    std::string Name;  // its label without the colon: "Map Size", "Tx Current [A]"
    WideString Text;   // what it held, for NotANumber
    std::string Why;   // said instead of the kind's sentence when not empty
};

extern const char RecordFieldRefusal[];  // "Value too large for the data file. Press OK and correct"

// The message: "<Name>: "<Text>" is not a number. Press OK and correct", "<Name>: Value out
// of range. Press OK and correct", "<Name>: Value too large for the data file. Press OK and
// correct", or "<Name>: <Why>".
WideString FieldRefusalText(const FieldRefusal& r);

// A dialog's field (an edit or a list): its control, its label and the configuration line
// its value lands on (0: none).
struct DialogField {
    int32_t Id;
    const char* Name;
    int32_t Line;
};

// The refusal of the value on a configuration line: the field of the table that lands on
// it; a line that no field lands on is named by its number. Line 0 refuses nothing.
FieldRefusal RefusalOfLine(const DialogField* fields, size_t count, int32_t line, FieldRefusalKind kind);
template <size_t N>
FieldRefusal RefusalOfLine(const DialogField (&fields)[N], int32_t line,
                           FieldRefusalKind kind = FieldRefusalKind::OutOfRange)
{
    return RefusalOfLine(fields, N, line, kind);
}
