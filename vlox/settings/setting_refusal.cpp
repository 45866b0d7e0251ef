#include "vlox/settings/setting_refusal.h"

const char RecordFieldRefusal[] = "Value too large for the data file. Press OK and correct";

WideString FieldRefusalText(const FieldRefusal& r)
{
    if (r.Kind != FieldRefusalKind::None && !r.Why.empty())
        return NarrowToWide(r.Name + ": " + r.Why);
    switch (r.Kind) {
    case FieldRefusalKind::NotANumber:
        return NarrowToWide(r.Name + ": \"") + r.Text +
               NarrowToWide(std::string("\" is not a number. Press OK and correct"));
    case FieldRefusalKind::OutOfRange:
        return NarrowToWide(r.Name + ": Value out of range. Press OK and correct");
    case FieldRefusalKind::TooWide:
        return NarrowToWide(r.Name + ": " + RecordFieldRefusal);
    default:
        return WideString();
    }
}

FieldRefusal RefusalOfLine(const DialogField* fields, size_t count, int32_t line, FieldRefusalKind kind)
{
    FieldRefusal r;
    if (line == 0)
        return r;
    r.Kind = kind;
    for (size_t i = 0; i < count; ++i)
        if (fields[i].Line == line) {
            r.Id = fields[i].Id;
            r.Name = fields[i].Name;
            return r;
        }
    r.Name = FormatText("Setting line %d", static_cast<int>(line));
    return r;
}
