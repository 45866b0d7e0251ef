// Blank trimming of narrow and wide texts in place: mode 1 leading blanks, 2 trailing
// blanks, 3 both; an all-blank text becomes empty; other modes leave the text. Returns 1.
#pragma once

#include "vlox/settings/textconv.h"

#include <string>

int TrimText(std::string& text, int mode);
int TrimTextW(WideString& text, int mode);
// The same on NUL-terminated buffers.
int TrimText(char* text, int mode);
int TrimTextW(WideChar* text, int mode);
