// Reading a printed PostScript page back in a test under Wine: Ghostscript (a Unix program,
// started through Wine) renders it to PNG (kept as an artefact), to a raw RGB picture whose
// pixels the test reads, and to its texts with their positions (txtwrite).
//
// Positions: the picture is rendered at the printer's resolution, so the device pixel (x, y)
// of the printer's context is the picture's pixel (x + PHYSICALOFFSETX, y + PHYSICALOFFSETY)
// (a landscape page comes on upright paper, turned a quarter). Texts are in points (1/72 in)
// from the page's top-left corner, y on the baseline.
#pragma once

#include "tests/common/win_test_util.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <cwctype>
#include <string>
#include <vector>

namespace pspage {

// The Unix path of a Windows path: Z: is the Unix root and C: the prefix's drive_c (not its
// dosdevices link, which Wine's mount manager makes again while programs start); other paths
// through Wine's own conversion. "" when there is none.
inline std::string UnixPathOf(const std::wstring& windowsPath)
{
    auto narrow = [](const std::wstring& w) {
        std::string s;
        for (wchar_t c : w)
            s += c == L'\\' ? '/' : static_cast<char>(c);
        return s;
    };
    if (windowsPath.size() > 3 && windowsPath[1] == L':' && windowsPath[2] == L'\\') {
        const wchar_t drive = static_cast<wchar_t>(towupper(windowsPath[0]));
        if (drive == L'Z')
            return narrow(windowsPath.substr(2));
        wchar_t prefix[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
        if (drive == L'C' && n > 0 && n < MAX_PATH)
            return narrow(prefix) + "/drive_c" + narrow(windowsPath.substr(2));
    }
    using Convert = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr)
        return std::string();
    char* unix = convert(windowsPath.c_str());
    if (unix == nullptr)
        return std::string();
    std::string s(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return s;
}

inline bool ReadFileText(const std::wstring& path, std::string* text)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    text->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text->append(buffer, got);
    CloseHandle(f);
    return true;
}

// Runs /usr/bin/gs with the arguments; its exit code, or -1 when it cannot be run in time.
// Wine does not wait for a Unix program through its process handle, so a shell runs gs and
// then writes its exit code into a file, which is waited for.
inline int RunGhostscript(const std::string& arguments, DWORD timeoutMs = 60000)
{
    static int runs = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring done = std::wstring(temp) + L"vlox-gs-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++runs) + L".done";
    DeleteFileW(done.c_str());
    const std::string unixDone = UnixPathOf(done);
    if (unixDone.empty())
        return -1;
    const std::string script = "/usr/bin/gs -q -dNOPAUSE -dBATCH -dSAFER " + arguments + "; echo $? > " + unixDone;
    std::wstring command = L"Z:\\bin\\sh -c \"";
    for (char c : script)
        command += static_cast<wchar_t>(static_cast<unsigned char>(c));
    command += L"\"";
    if (!StartUnixProgram(command))
        return -1;
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        std::string code;
        if (ReadFileText(done, &code) && code.find('\n') != std::string::npos) {
            DeleteFileW(done.c_str());
            return std::atoi(code.c_str());
        }
        Sleep(50);
    }
    return -1;
}

// Waits until the spooler has written the whole page: the file ends with the document's
// closing "%%EOF". False after timeoutMs.
inline bool WaitForPage(const std::wstring& ps, DWORD timeoutMs = 60000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        std::string text;
        if (ReadFileText(ps, &text)) {
            const size_t end = text.find_last_not_of("\r\n");
            if (end != std::string::npos && end >= 4 && text.compare(end - 4, 5, "%%EOF") == 0)
                return true;
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(100);
    }
}

// The page as PNG at dpi pixels per inch.
inline bool RenderPng(const std::wstring& ps, const std::wstring& png, int dpi)
{
    const std::string in = UnixPathOf(ps), out = UnixPathOf(png);
    if (in.empty() || out.empty())
        return false;
    return RunGhostscript("-sDEVICE=png16m -r" + std::to_string(dpi) + " -sOutputFile=" + out + " " + in) == 0;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // top row first
    // 0x00RRGGBB, or 0xFFFFFFFF outside the picture.
    uint32_t At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0xFFFFFFFFu;
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
        return (uint32_t{rgb[i]} << 16) | (uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
    }
};

// The page as a raw RGB picture at dpi (through a scratch file beside the page).
inline bool RenderPicture(const std::wstring& ps, int dpi, Picture* picture)
{
    const std::wstring ppm = ps + L".ppm";
    const std::string in = UnixPathOf(ps), out = UnixPathOf(ppm);
    if (in.empty() || out.empty())
        return false;
    if (RunGhostscript("-sDEVICE=ppmraw -r" + std::to_string(dpi) + " -sOutputFile=" + out + " " + in) != 0)
        return false;
    std::string data;
    if (!ReadFileText(ppm, &data))
        return false;
    DeleteFileW(ppm.c_str());
    // "P6", width, height and 255 (with "#" comment lines between), one blank, the bytes.
    int numbers[3] = {};
    size_t at = 2;
    for (int k = 0; k < 3; ++k) {
        while (at < data.size() && (data[at] == '#' || std::isspace(static_cast<unsigned char>(data[at])))) {
            if (data[at] == '#')
                at = data.find('\n', at);
            else
                ++at;
        }
        while (at < data.size() && std::isdigit(static_cast<unsigned char>(data[at])))
            numbers[k] = numbers[k] * 10 + (data[at++] - '0');
    }
    const int w = numbers[0], h = numbers[1];
    if (data.compare(0, 2, "P6") != 0 || w <= 0 || h <= 0)
        return false;
    const size_t start = at + 1;
    const size_t size = static_cast<size_t>(w) * static_cast<size_t>(h) * 3;
    if (data.size() < start + size)
        return false;
    picture->width = w;
    picture->height = h;
    picture->rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(start),
                        data.begin() + static_cast<std::ptrdiff_t>(start + size));
    return true;
}

// One run of text on the page with the position of its first character.
struct PageText {
    std::string text;
    double x = 0.0;  // points from the left edge
    double y = 0.0;  // points from the top edge, the baseline
    std::vector<double> charX;
};

inline std::string Attribute(const std::string& element, const char* name)
{
    const std::string key = std::string(name) + "=\"";
    const size_t a = element.find(key);
    if (a == std::string::npos)
        return std::string();
    const size_t b = element.find('"', a + key.size());
    return b == std::string::npos ? std::string() : element.substr(a + key.size(), b - a - key.size());
}

inline std::string Unescape(const std::string& s)
{
    static const struct {
        const char* entity;
        char c;
    } entities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& e : entities)
        if (s == e.entity)
            return std::string(1, e.c);
    return s;
}

// The texts of the page (txtwrite), one entry per baseline with its characters in order
// along it. A landscape job is rendered on upright paper turned a quarter: give the paper's
// height in points (rotatedPageHeight) to have the positions on the landscape page.
inline bool ReadPageTexts(const std::wstring& ps, std::vector<PageText>* texts, double rotatedPageHeight = 0.0)
{
    const std::wstring xml = ps + L".xml";
    const std::string in = UnixPathOf(ps), out = UnixPathOf(xml);
    if (in.empty() || out.empty())
        return false;
    if (RunGhostscript("-sDEVICE=txtwrite -dTextFormat=1 -sOutputFile=" + out + " " + in) != 0)
        return false;
    std::string data;
    if (!ReadFileText(xml, &data))
        return false;
    DeleteFileW(xml.c_str());
    struct Glyph {
        double x, y;
        std::string c;
    };
    std::map<long, std::vector<Glyph>> lines;  // by baseline, in half points
    size_t pos = 0;
    while ((pos = data.find("<char ", pos)) != std::string::npos) {
        const size_t end = data.find('>', pos);
        if (end == std::string::npos)
            break;
        const std::string element = data.substr(pos, end - pos + 1);
        pos = end + 1;
        double x0 = 0.0, y0 = 0.0;
        std::sscanf(Attribute(element, "bbox").c_str(), "%lf %lf", &x0, &y0);
        Glyph g{x0, y0, Unescape(Attribute(element, "c"))};
        if (rotatedPageHeight > 0.0)
            g = Glyph{rotatedPageHeight - y0, x0, g.c};
        lines[std::lround(g.y * 2.0)].push_back(g);
    }
    texts->clear();
    for (auto& [key, glyphs] : lines) {
        std::stable_sort(glyphs.begin(), glyphs.end(), [](const Glyph& a, const Glyph& b) { return a.x < b.x; });
        PageText t;
        t.x = glyphs.front().x;
        t.y = glyphs.front().y;
        for (size_t k = 0; k < glyphs.size(); ++k) {
            const Glyph& g = glyphs[k];
            // txtwrite gives a turned page's characters more than once, at one place.
            bool repeated = false;
            for (size_t j = k; j-- > 0 && glyphs[j].x > g.x - 0.6;)
                repeated = repeated || glyphs[j].c == g.c;
            if (repeated)
                continue;
            for (size_t i = 0; i < g.c.size(); ++i)
                t.charX.push_back(g.x);
            t.text += g.c;
        }
        texts->push_back(t);
    }
    return true;
}

// One character of the page, blanks included, with its advance along its baseline: from x0
// to x1 in points from the page's left edge, the baseline y in points from its top, and the
// font's size in points.
struct PageGlyph {
    std::string c;
    double x0 = 0.0, x1 = 0.0, y = 0.0, size = 0.0;
};

// Every character the page draws, each once, in txtwrite's order (-dTextFormat=0: one box a
// character; text that was painted over is listed too). A landscape job comes on upright
// paper turned a quarter: give the paper's height in points to have the landscape page.
inline bool ReadPageGlyphs(const std::wstring& ps, std::vector<PageGlyph>* glyphs, double rotatedPageHeight = 0.0)
{
    const std::wstring xml = ps + L".glyphs.xml";
    const std::string in = UnixPathOf(ps), out = UnixPathOf(xml);
    if (in.empty() || out.empty())
        return false;
    if (RunGhostscript("-sDEVICE=txtwrite -dTextFormat=0 -sOutputFile=" + out + " " + in) != 0)
        return false;
    std::string data;
    if (!ReadFileText(xml, &data))
        return false;
    DeleteFileW(xml.c_str());
    glyphs->clear();
    double size = 0.0;
    size_t pos = 0;
    while ((pos = data.find('<', pos)) != std::string::npos) {
        const size_t end = data.find('>', pos);
        if (end == std::string::npos)
            break;
        const std::string element = data.substr(pos, end - pos + 1);
        pos = end + 1;
        if (element.compare(0, 6, "<span ") == 0)
            size = std::atof(Attribute(element, "size").c_str());
        if (element.compare(0, 6, "<char ") != 0)
            continue;
        double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
        std::sscanf(Attribute(element, "bbox").c_str(), "%lf %lf %lf %lf", &x0, &y0, &x1, &y1);
        PageGlyph g{Unescape(Attribute(element, "c")), x0, x1, y0, size};
        if (rotatedPageHeight > 0.0)
            g = PageGlyph{g.c, rotatedPageHeight - y0, rotatedPageHeight - y1, x0, size};
        bool repeated = false;  // a turned page lists some characters more than once
        for (const PageGlyph& h : *glyphs)
            repeated = repeated || (h.c == g.c && std::fabs(h.x0 - g.x0) < 0.3 && std::fabs(h.y - g.y) < 0.3);
        if (!repeated)
            glyphs->push_back(g);
    }
    return true;
}

// Where a text starts on the page: the x of its first character and the baseline of its run.
// False when no run holds it.
inline bool FindPageText(const std::vector<PageText>& texts, const std::string& text, double* x, double* y)
{
    for (const PageText& t : texts) {
        const size_t at = t.text.find(text);
        if (at != std::string::npos && at < t.charX.size()) {
            *x = t.charX[at];
            *y = t.y;
            return true;
        }
    }
    return false;
}

}  // namespace pspage
