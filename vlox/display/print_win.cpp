#include "vlox/display/print_win.h"

#include "vlox/display/print_inputs.h"

#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/review_plots_win.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// The job's abort dialog and the user's abort (1 once the user has aborted).
HWND PrintAbortDialog = nullptr;
int32_t PrintUserAbort = 0;

const wchar_t* const PrintErrorCaption = L"Error";

// Text extents in the job's fonts on the printer's context.
class DcTextMeasure : public PrintTextMeasure {
public:
    DcTextMeasure(HDC dc, HFONT smallFont, HFONT largeFont) : dc_(dc), small_(smallFont), large_(largeFont) {}
    void Measure(PrintFont font, const WideString& text, int32_t& width, int32_t& height) override
    {
        SelectGuard f(dc_, font == PrintFont::Small ? small_ : large_);
        SIZE size{};
        GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        if (text.empty()) {
            TEXTMETRICW tm{};
            GetTextMetricsW(dc_, &tm);
            size.cy = tm.tmHeight;
        }
        width = size.cx;
        height = size.cy;
    }

private:
    HDC dc_;
    HFONT small_;
    HFONT large_;
};

// The pens of one page: the drawing objects' grey and black pens (made here when the
// program's set does not exist), and the curve pens of the line settings, plain or bold
// (3 x width + 3), made when first used and deleted with the set.
class PrintPenSet {
public:
    PrintPenSet() = default;
    PrintPenSet(const PrintPenSet&) = delete;
    PrintPenSet& operator=(const PrintPenSet&) = delete;
    ~PrintPenSet()
    {
        for (HPEN pen : made_)
            DeleteObject(pen);
    }

    HPEN Get(PrintPen pen, int32_t entry)
    {
        switch (pen) {
        case PrintPen::GridPen6:
            return Shared(DrawingObjects.GridPen6, grid6_, 6, RGB(224, 224, 224));
        case PrintPen::GridPen8:
            return Shared(DrawingObjects.GridPen8, grid8_, 8, RGB(224, 224, 224));
        case PrintPen::GridPen12:
            return Shared(DrawingObjects.GridPen12, grid12_, 12, RGB(224, 224, 224));
        case PrintPen::WideBlackPen:
            return Shared(DrawingObjects.WideBlackPen, black5_, 5, RGB(0, 0, 0));
        case PrintPen::Curve:
        case PrintPen::CurveBold: {
            if (entry < 0 || entry >= CurveCount)
                entry = CurveCount - 1;
            HPEN& slot = (pen == PrintPen::Curve ? plain_ : bold_)[static_cast<size_t>(entry)];
            if (slot == nullptr) {
                const int32_t width = Settings.LineWidths[static_cast<size_t>(entry)];
                const auto colour = static_cast<COLORREF>(Settings.LineColours[static_cast<size_t>(entry)]);
                slot = Make(pen == PrintPen::Curve ? width : 3 * width + 3, colour);
            }
            return slot;
        }
        }
        return nullptr;
    }

private:
    HPEN Make(int32_t width, COLORREF colour)
    {
        HPEN pen = CreatePen(PS_SOLID, width, colour);
        if (pen != nullptr)
            made_.push_back(pen);
        return pen;
    }
    HPEN Shared(HPEN program, HPEN& own, int32_t width, COLORREF colour)
    {
        if (program != nullptr)
            return program;
        if (own == nullptr)
            own = Make(width, colour);
        return own;
    }

    HPEN grid6_ = nullptr, grid8_ = nullptr, grid12_ = nullptr, black5_ = nullptr;
    std::array<HPEN, CurveCount> plain_{};
    std::array<HPEN, CurveCount> bold_{};
    std::vector<HPEN> made_;
};

// What the print dialog gives back besides the context: freed once the context is made.
void FreePrintDialogMemory(PRINTDLGW& pd)
{
    if (pd.hDevMode != nullptr)
        GlobalFree(pd.hDevMode);
    if (pd.hDevNames != nullptr)
        GlobalFree(pd.hDevNames);
    pd.hDevMode = nullptr;
    pd.hDevNames = nullptr;
}

// A print dialog that failed (not a cancel) says why.
void ReportPrintDialogFailure(HWND parent, DWORD error)
{
    wchar_t text[200];
    if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES)
        wcscpy_s(text, L"No printer is installed. Add a printer to Windows, then print again.");
    else if (error == PDERR_PRINTERNOTFOUND)
        wcscpy_s(text, L"The printer cannot be found. Choose another printer, then print again.");
    else
        swprintf_s(text, L"The printer cannot be opened (print dialog error 0x%04lX).",
                   static_cast<unsigned long>(error));
    MessageBoxW(parent, text, PrintErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

PrintDeviceCaps ReadPrintDeviceCaps(HDC dc)
{
    PrintDeviceCaps caps;
    caps.HorzRes = GetDeviceCaps(dc, HORZRES);
    caps.VertRes = GetDeviceCaps(dc, VERTRES);
    caps.OffsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    caps.OffsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    caps.LogPixelsX = GetDeviceCaps(dc, LOGPIXELSX);
    caps.LogPixelsY = GetDeviceCaps(dc, LOGPIXELSY);
    return caps;
}

HFONT CreatePrintFont(int32_t height)
{
    return CreateFontW(height, 0, 0, 0, 200, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
}

void PlayPrintPage(HDC dc, const PrintPageLayout& page, HFONT smallFont, HFONT largeFont)
{
    PrintPenSet pens;
    const UINT align = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    std::vector<POINT> points;
    for (const PrintOp& op : page.Ops) {
        switch (op.Kind) {
        case PrintOpKind::Rectangle: {
            SelectGuard pen(dc, pens.Get(op.Pen, op.PenEntry));
            Rectangle(dc, op.Rect.Left, op.Rect.Top, op.Rect.Right, op.Rect.Bottom);
            break;
        }
        case PrintOpKind::Polyline: {
            if (op.Points.size() < 2)
                break;
            points.clear();
            for (const PlotPoint& p : op.Points)
                points.push_back(POINT{p.X, p.Y});
            SelectGuard pen(dc, pens.Get(op.Pen, op.PenEntry));
            // A reading beyond the amplitude axis stays inside the box instead of running
            // over the header and the margins of the paper.
            const bool curve = op.Pen == PrintPen::Curve || op.Pen == PrintPen::CurveBold;
            const int saved = curve ? SaveDC(dc) : 0;
            if (curve)
                IntersectClipRect(dc, page.PlotBox.Left, page.PlotBox.Top, page.PlotBox.Right + 1,
                                  page.PlotBox.Bottom + 1);
            Polyline(dc, points.data(), static_cast<int>(points.size()));
            if (saved != 0)
                RestoreDC(dc, saved);
            break;
        }
        case PrintOpKind::Text: {
            SelectGuard font(dc, op.Font == PrintFont::Small ? smallFont : largeFont);
            TextOutW(dc, op.X, op.Y, op.Text.c_str(), static_cast<int>(op.Text.size()));
            break;
        }
        }
    }
    SetTextAlign(dc, align);
}

PrintPageInputs GatherPrintPageInputs(const PrintDeviceCaps& caps)
{
    return GatherReviewPageInputs(caps, ReviewFileTitle);
}

INT_PTR CALLBACK PrintAbortDlgProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_GRAYED);
        return TRUE;
    case WM_COMMAND:
        PrintUserAbort = 1;
        EnableWindow(GetParent(dialog), TRUE);
        DestroyWindow(dialog);
        PrintAbortDialog = nullptr;
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CALLBACK PrintAbortProc(HDC, int)
{
    MSG msg;
    while (PrintUserAbort == 0 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program's own loop ends on it once the job is over.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (PrintAbortDialog == nullptr || !IsDialogMessageW(PrintAbortDialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return PrintUserAbort == 0;
}

int32_t PrintPage(HWND parent)
{
    PRINTDLGW pd{};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = parent;
    pd.Flags = 0x154;  // PD_RETURNDC | PD_PRINTSETUP | PD_COLLATE | PD_NOSELECTION
    pd.nCopies = 1;
    if (!PrintDlgW(&pd)) {
        const DWORD error = CommDlgExtendedError();
        FreePrintDialogMemory(pd);
        if (error == 0)
            return 1;  // cancelled: nothing printed, nothing said
        ReportPrintDialogFailure(parent, error);
        return 0;
    }
    FreePrintDialogMemory(pd);
    HDC dc = pd.hDC;
    if (dc == nullptr) {
        ReportPrintDialogFailure(parent, PDERR_CREATEICFAILURE);
        return 0;
    }

    const PrintDeviceCaps caps = ReadPrintDeviceCaps(dc);
    HFONT smallFont = CreatePrintFont(SmallPrintFontHeight(caps));
    HFONT largeFont = CreatePrintFont(LargePrintFontHeight(caps));
    // The page is laid out before the job starts, from what the review holds in memory.
    const PrintPageInputs inputs = GatherPrintPageInputs(caps);
    DcTextMeasure measure(dc, smallFont, largeFont);
    const PrintPageLayout page = LayOutPrintPage(inputs, measure);

    EnableWindow(parent, FALSE);
    PrintUserAbort = 0;
    PrintAbortDialog = CreateDialogW(hInstance, L"PrintDlgBox", parent, PrintAbortDlgProc);
    SetAbortProc(dc, PrintAbortProc);

    bool failed = false;
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    if (StartDocW(dc, &doc) <= 0) {
        failed = true;
    } else {
        bool ended = false;
        if (StartPage(dc) <= 0) {
            failed = true;
        } else {
            PlayPrintPage(dc, page, smallFont, largeFont);
            if (EndPage(dc) <= 0)
                failed = true;
            else
                ended = EndDoc(dc) > 0;
            failed = failed || !ended;
        }
        // A page that failed or was aborted leaves no half job in the spooler.
        if (!ended)
            AbortDoc(dc);
    }

    if (PrintAbortDialog != nullptr) {
        DestroyWindow(PrintAbortDialog);
        PrintAbortDialog = nullptr;
    }
    EnableWindow(parent, TRUE);
    DeleteDC(dc);
    DeleteObject(smallFont);
    DeleteObject(largeFont);
    return !failed && PrintUserAbort == 0 ? 1 : 0;
}
