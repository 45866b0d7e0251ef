// Small scope guards for GDI: a device context taken from a window and given back, and an
// object selected into a context with the previous one put back. Drawing code that leaves a
// font or pen selected leaks it when the object is later deleted; these make that impossible.
#pragma once

#include <windows.h>

// GetDC on construction, ReleaseDC on destruction.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_ != nullptr)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint on construction, EndPaint on destruction.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
    ~PaintDc() { EndPaint(window_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return ps_; }

private:
    HWND window_;
    HDC dc_;
    PAINTSTRUCT ps_{};
};

// Selects an object (pen, brush, font, bitmap) and puts the previous one back. A null
// object selects nothing.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Narrows the clipping region to a rectangle (left, top inclusive; right, bottom exclusive)
// and puts the previous region back.
class ClipGuard {
public:
    ClipGuard(HDC dc, int left, int top, int right, int bottom) : dc_(dc), saved_(SaveDC(dc))
    {
        IntersectClipRect(dc, left, top, right, bottom);
    }
    ~ClipGuard()
    {
        if (saved_ != 0)
            RestoreDC(dc_, saved_);
    }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

private:
    HDC dc_;
    int saved_;
};
