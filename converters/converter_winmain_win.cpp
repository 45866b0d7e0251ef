// The entry of one converter program; CONVERTER_MODE is the build's `ConverterMode`.
#include "converters/converter_win.h"

#ifndef CONVERTER_MODE
#error CONVERTER_MODE must name the build (13 XYZ, 10 LZ5, 11 USF, 12 TXT)
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    converters::ConverterMain(CONVERTER_MODE);
    return 0;
}
