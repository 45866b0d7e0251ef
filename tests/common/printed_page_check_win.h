// The checks of a page printed by PrintPage on the prefix's PostScript printer (tests of
// printing in-process and end to end): the page rendered by Ghostscript (a PNG kept as an
// artefact), the header's fifth line, the title and the two frames where the layout puts them
// for the printer's capabilities, and the given texts somewhere on the page.
#pragma once

#include "tests/common/postscript_page_win.h"
#include "vlox/display/print_layout.h"
#include "vlox/display/print_win.h"

#include <gtest/gtest.h>

#include <windows.h>

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

}  // namespace pspage
