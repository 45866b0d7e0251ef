// The checks of a page printed by PrintPage on the prefix's PostScript printer (tests of
// printing in-process and end to end): the page rendered by Ghostscript (a PNG kept as an
// artefact), the header's fifth line, the title and the two frames where the layout puts them
// for the printer's capabilities, and the given texts somewhere on the page; a header line
// that runs into nothing, and a gate table whose every number reads back beside its value,
// both from the boxes of the page's characters (painted-over text is listed too) and the ink.
#pragma once

#include "tests/common/postscript_page_win.h"
#include "vlox/display/print_layout.h"
#include "vlox/display/print_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pspage {

// Where PrintPage's jobs land (the port of the printer vloxprinter.exe adds).
inline const wchar_t* PrintedPagePath()
{
    return L"C:\\vlox-print\\page.ps";
}

// The default printer's page as PrintPage reads it, in the orientation asked for, with the
// height of the upright paper in pixels.
struct PrinterPage {
    PrintDeviceCaps Caps;
    int PaperHeight = 0;
    bool Landscape = false;
};

inline bool DefaultPrinterPage(bool landscape, PrinterPage* page)
{
    wchar_t name[256];
    DWORD n = 256;
    if (!GetDefaultPrinterW(name, &n))
        return false;
    HDC dc = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
    if (dc == nullptr)
        return false;
    page->Caps = ReadPrintDeviceCaps(dc);
    page->PaperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    page->Landscape = landscape;
    DeleteDC(dc);
    if (landscape) {
        std::swap(page->Caps.HorzRes, page->Caps.VertRes);
        std::swap(page->Caps.OffsetX, page->Caps.OffsetY);
    }
    return true;
}

// Width and height of a text in the job's large font on the default printer.
inline SIZE LargeTextExtent(const PrintDeviceCaps& caps, const wchar_t* text)
{
    SIZE size{};
    wchar_t name[256];
    DWORD n = 256;
    if (!GetDefaultPrinterW(name, &n))
        return size;
    HDC printer = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
    HFONT font = CreatePrintFont(LargePrintFontHeight(caps));
    HGDIOBJ old = SelectObject(printer, font);
    GetTextExtentPoint32W(printer, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(printer, old);
    DeleteObject(font);
    DeleteDC(printer);
    return size;
}

inline void CheckPrintedPage(const PrinterPage& page, const std::wstring& pngPath,
                             const std::vector<std::string>& lines)
{
    const PrintDeviceCaps& caps = page.Caps;
    const wchar_t* ps = PrintedPagePath();
    ASSERT_TRUE(WaitForPage(ps)) << "nothing was printed";
    ASSERT_TRUE(RenderPng(ps, pngPath, 100));

    std::vector<PageText> texts;
    const double toPoints = 72.0 / caps.LogPixelsX;
    ASSERT_TRUE(ReadPageTexts(ps, &texts, page.Landscape ? page.PaperHeight * toPoints : 0.0));
    const PrintRect box = PrintPlotBox(caps);
    const int32_t h = InchY(caps, 0.175);
    const int32_t large = LargePrintFontHeight(caps);
    const bool portrait = PrintPageIsPortrait(caps);
    EXPECT_EQ(portrait, !page.Landscape);
    // Line 5 of the header: below the box in portrait, beside it in landscape.
    const int32_t gpsX = portrait ? box.Left - InchX(caps, 0.5) : box.Right + InchX(caps, 0.25);
    const int32_t gpsY = (portrait ? box.Bottom + 4 * h : box.Top) + 4 * h;
    double x = 0.0, y = 0.0;
    ASSERT_TRUE(FindPageText(texts, "GPS Position: Not available", &x, &y));
    EXPECT_NEAR(x, (gpsX + caps.OffsetX) * toPoints, 2.0);
    EXPECT_GE(y, (gpsY + caps.OffsetY) * toPoints);
    EXPECT_LE(y, (gpsY + caps.OffsetY + large) * toPoints);
    for (const std::string& line : lines)
        EXPECT_TRUE(FindPageText(texts, line, &x, &y)) << line;

    // The title ends 0.65 in from the right and sits 0.55 in above the bottom.
    const SIZE title = LargeTextExtent(caps, L"Tarnwel V-LOX");
    ASSERT_TRUE(FindPageText(texts, "Tarnwel V-LOX", &x, &y));
    const int32_t titleRight = caps.HorzRes + caps.OffsetX - InchX(caps, 0.65);
    const int32_t titleBottom = caps.VertRes + caps.OffsetY - InchY(caps, 0.55);
    EXPECT_NEAR(x, (titleRight - title.cx + caps.OffsetX) * toPoints, 2.0);
    EXPECT_LE(y, (titleBottom + caps.OffsetY) * toPoints + 1.0);
    EXPECT_GE(y, (titleBottom - title.cy + caps.OffsetY) * toPoints);

    // The frames, in the picture at the printer's resolution: the black plot box and the
    // light grey outer frame, white just inside each.
    Picture picture;
    ASSERT_TRUE(RenderPicture(ps, caps.LogPixelsX, &picture));
    auto at = [&](int px, int py) {  // the picture's pixel of a device pixel of the page
        px += caps.OffsetX;
        py += caps.OffsetY;
        return page.Landscape ? picture.At(py, page.PaperHeight - 1 - px) : picture.At(px, py);
    };
    const PrintRect outer = PrintOuterFrame(caps);
    const int midY = (box.Top + box.Bottom) / 2;
    EXPECT_EQ(at(box.Left, midY), 0x000000u);
    EXPECT_EQ(at(box.Right, midY), 0x000000u);
    EXPECT_EQ(at(box.Left + 10, box.Bottom), 0x000000u);
    EXPECT_EQ(at(box.Left + 12, midY), 0xFFFFFFu);
    EXPECT_EQ(at(outer.Left, midY), 0xE0E0E0u);
    EXPECT_EQ(at(outer.Left + 12, midY), 0xFFFFFFu);
}

// The characters of one baseline, left to right.
struct PageBaseline {
    double y = 0.0;
    std::vector<PageGlyph> glyphs;
};

inline std::vector<PageBaseline> Baselines(const std::vector<PageGlyph>& glyphs)
{
    std::map<long, PageBaseline> byY;  // half points
    for (const PageGlyph& g : glyphs) {
        PageBaseline& b = byY[std::lround(g.y * 2.0)];
        b.y = g.y;
        b.glyphs.push_back(g);
    }
    std::vector<PageBaseline> out;
    for (auto& [key, b] : byY) {
        std::stable_sort(b.glyphs.begin(), b.glyphs.end(),
                         [](const PageGlyph& a, const PageGlyph& c) { return a.x0 < c.x0; });
        out.push_back(b);
    }
    return out;
}

// Where text stands on a baseline as consecutive characters, blanks as drawn; the index of
// its first character from `from` on, or -1.
inline int FindRun(const PageBaseline& b, const std::string& text, size_t from = 0)
{
    for (size_t i = from; i + text.size() <= b.glyphs.size(); ++i) {
        size_t k = 0;
        while (k < text.size() && b.glyphs[i + k].c == std::string(1, text[k]))
            ++k;
        if (k == text.size())
            return static_cast<int>(i);
    }
    return -1;
}

// A header line runs into nothing: on its baseline, after its last character and the blanks
// drawn with it, the next text starts at least a blank's width away, and nothing else is
// drawn over it.
inline void CheckLineRunsIntoNothing(const std::vector<PageBaseline>& baselines, const std::string& line)
{
    for (const PageBaseline& b : baselines) {
        const int at = FindRun(b, line);
        if (at < 0)
            continue;
        const size_t first = static_cast<size_t>(at);
        size_t last = first + line.size() - 1;
        double blank = 0.0;
        for (const PageGlyph& g : b.glyphs)
            if (g.c == " ")
                blank = std::max(blank, g.x1 - g.x0);
        while (last + 1 < b.glyphs.size() && b.glyphs[last + 1].c == " " &&
               std::fabs(b.glyphs[last + 1].x0 - b.glyphs[last].x1) < 0.3)
            ++last;
        if (last + 1 < b.glyphs.size()) {
            EXPECT_GE(b.glyphs[last + 1].x0 - b.glyphs[last].x1, 0.9 * blank)
                << "\"" << line << "\" runs into \"" << b.glyphs[last + 1].c << "\"";
        }
        for (size_t i = 0; i < b.glyphs.size(); ++i) {
            const bool over = b.glyphs[i].x0 < b.glyphs[last].x1 - 0.3 && b.glyphs[first].x0 < b.glyphs[i].x1 - 0.3;
            EXPECT_FALSE((i < first || i > last) && over)
                << "\"" << b.glyphs[i].c << "\" drawn over \"" << line << "\"";
        }
        return;
    }
    ADD_FAILURE() << "\"" << line << "\" is not on the page";
}

// Every gate number of the printed table reads back beside its value: on the value's
// baseline, left of it, no character (a blank neither) drawn over its digits, and their ink
// on the rendered page. values are the table's values in gate order.
inline void CheckGateTableReadsBack(const PrinterPage& page, const std::vector<double>& values)
{
    const PrintDeviceCaps& caps = page.Caps;
    const wchar_t* ps = PrintedPagePath();
    const double toPoints = 72.0 / caps.LogPixelsX;
    std::vector<PageGlyph> glyphs;
    ASSERT_TRUE(ReadPageGlyphs(ps, &glyphs, page.Landscape ? page.PaperHeight * toPoints : 0.0));
    const std::vector<PageBaseline> baselines = Baselines(glyphs);
    Picture picture;
    ASSERT_TRUE(RenderPicture(ps, caps.LogPixelsX, &picture));
    // Dark pixels in a character's box: its advance, from the baseline up 0.6 of its size.
    auto ink = [&](const PageGlyph& g) {
        int dark = 0;
        for (int py = static_cast<int>((g.y - 0.6 * g.size) / toPoints); py <= static_cast<int>(g.y / toPoints); ++py)
            for (int px = static_cast<int>(g.x0 / toPoints); px < static_cast<int>(g.x1 / toPoints); ++px) {
                const uint32_t c = page.Landscape ? picture.At(py, page.PaperHeight - 1 - px) : picture.At(px, py);
                dark += c != 0xFFFFFFFFu && ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF) < 3 * 128 ? 1 : 0;
            }
        return dark;
    };
    for (size_t g = 0; g < values.size(); ++g) {
        const std::string number = std::to_string(g + 1);
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", values[g]);
        const std::string value = text;
        bool found = false;
        for (const PageBaseline& b : baselines) {
            for (int at = FindRun(b, value); at >= 0 && !found; at = FindRun(b, value, static_cast<size_t>(at) + 1)) {
                // The digits of the number: the last characters before the value that are not blank.
                int end = at - 1;
                while (end >= 0 && b.glyphs[static_cast<size_t>(end)].c == " ")
                    --end;
                const int start = end - static_cast<int>(number.size()) + 1;
                if (start < 0 || FindRun(b, number, static_cast<size_t>(start)) != start)
                    continue;
                found = true;
                for (int d = start; d <= end; ++d) {
                    const PageGlyph& digit = b.glyphs[static_cast<size_t>(d)];
                    EXPECT_LE(digit.x1, b.glyphs[static_cast<size_t>(at)].x0) << "gate " << number;
                    for (size_t o = 0; o < b.glyphs.size(); ++o) {
                        const bool over = b.glyphs[o].x0 < digit.x1 - 0.3 && digit.x0 < b.glyphs[o].x1 - 0.3;
                        EXPECT_FALSE(static_cast<int>(o) != d && over) << "gate " << number << ": \"" << b.glyphs[o].c
                                                                       << "\" drawn over its \"" << digit.c << "\"";
                    }
                    EXPECT_GT(ink(digit), 2) << "gate " << number << ": its \"" << digit.c << "\" is painted out";
                }
            }
            if (found)
                break;
        }
        EXPECT_TRUE(found) << "gate " << number << " is not read beside " << value;
    }
}

}  // namespace pspage
