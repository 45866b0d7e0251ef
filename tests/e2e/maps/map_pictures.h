// What the map end-to-end tests share: a walk of GGA fixes sent over a serial link, the
// map pane's picture and its ink by colour, and the GPS map type dialog opened by its
// command id (no menu item carries it).
#pragma once

#include "tests/e2e/harness/e2e_harness_win.h"

#include "resources/resource.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace e2e_maps {

// A GGA sentence with its checksum and CR LF: fix i of a walk going north-east from
// 45 30 N, 75 30 W, about 2 m a fix.
inline std::string WalkSentence(int i)
{
    const double latMinutes = 30.0 + i * 0.00108;  // 2 m north
    const double lonMinutes = 30.0 - i * 0.00154;  // 2 m east (west longitudes fall)
    char body[128];
    std::snprintf(body, sizeof body, "GPGGA,1015%02d.00,45%08.5f,N,075%08.5f,W,1,08,0.9,100.0,M,-34.0,M,,", i % 60,
                  latMinutes, lonMinutes);
    return e2e::NmeaLine(body);
}

// Sends the walk's fixes from fix `from` on, one every 250 ms, from a thread of its own until
// stopped; Next() is the next fix to send.
class Walker {
public:
    Walker(e2e::SerialLink& link, int from)
        : next_(from), thread_([this, &link] {
              while (!stop_) {
                  link.Write(WalkSentence(next_));
                  ++next_;
                  Sleep(250);
              }
          })
    {
    }
    ~Walker()
    {
        stop_ = true;
        thread_.join();
    }
    int Next() const { return next_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> next_;
    std::thread thread_;
};

struct Ink {
    int red = 0, green = 0, blue = 0, black = 0, grid = 0, other = 0;
};

inline Ink InkOf(const e2e::RgbImage& image)
{
    Ink ink;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
        if (r == 255 && g == 255 && b == 255)
            continue;
        if (r == 255 && g == 0 && b == 0)
            ++ink.red;
        else if (r == 0 && g == 255 && b == 0)
            ++ink.green;
        else if (r == 0 && g == 0 && b == 255)
            ++ink.blue;
        else if (r == 0 && g == 0 && b == 0)
            ++ink.black;
        else if ((r == 224 && g == 224 && b == 224) || (r == 192 && g == 192 && b == 192))
            ++ink.grid;
        else
            ++ink.other;
    }
    return ink;
}

inline e2e::RgbImage MapPicture(HWND main)
{
    e2e::RgbImage image;
    e2e::CaptureWindow(e2e::Control(main, IDC_MAP_WND), &image);
    return image;
}

// Keeps a map picture that the test checks, beside the test.
inline void KeepPicture(const e2e::RgbImage& image, const wchar_t* name)
{
    e2e::SavePng(image, e2e::BinFolder() + L"\\" + name);
}

// The GPS map type dialog, opened by its command id.
inline HWND OpenGpsMapType(e2e::Program& vlox, HWND main)
{
    if (!e2e::PostCommand(main, IDM_GPS_MAP_TYPE))
        return nullptr;
    return vlox.WaitMessageBox(L"GPS Map Type", 10000);
}

inline bool Checked(HWND button)
{
    DWORD_PTR state = 0;
    return SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state) != 0 && state == BST_CHECKED;
}

}  // namespace e2e_maps
