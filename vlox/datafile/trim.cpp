#include "vlox/datafile/trim.h"

namespace {

template <class Text>
int TrimBlanks(Text& text, int mode)
{
    if (mode == 2 || mode == 3) {
        size_t end = text.size();
        while (end > 0 && text[end - 1] == ' ')
            --end;
        text.resize(end);
    }
    if (mode == 1 || mode == 3) {
        size_t start = 0;
        while (start < text.size() && text[start] == ' ')
            ++start;
        text.erase(0, start);
    }
    return 1;
}

template <class Char>
int TrimBuffer(Char* text, int mode)
{
    std::basic_string<Char> t(text);
    TrimBlanks(t, mode);
    for (size_t i = 0; i < t.size(); ++i)
        text[i] = t[i];
    text[t.size()] = 0;
    return 1;
}

}  // namespace

int TrimText(std::string& text, int mode)
{
    return TrimBlanks(text, mode);
}

int TrimTextW(WideString& text, int mode)
{
    return TrimBlanks(text, mode);
}

int TrimText(char* text, int mode)
{
    return TrimBuffer(text, mode);
}

int TrimTextW(WideChar* text, int mode)
{
    return TrimBuffer(text, mode);
}
