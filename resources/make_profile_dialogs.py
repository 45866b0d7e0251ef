#!/usr/bin/env python3
"""Writes profiles.rc: the dialog templates PROFILES (standard gates: rows for gates 1 to 30)
and PROFILESEXTENDED (user-defined gates: rows for gates 1 to 100 and the numbers window's
100 gate boxes) of "Profile Plot Attributes". Each row is a gate check box, an owner-drawn
colour and width sample and a width list; the control ids are a base plus the entry (gate
i = 0..99, decay curves 100, 101, 102), as view_ids.h names them.

Run from this folder after a change, and check the written profiles.rc in beside it:
    python3 make_profile_dialogs.py
"""

import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))


def id_bases():
    """The id bases as view_ids.h defines them (the resource compiler takes plain numbers)."""
    with open(os.path.join(HERE, "view_ids.h")) as f:
        return {m.group(1): int(m.group(2)) for m in re.finditer(r"#define (IDC_PROFILE_\w+_BASE) (\d+)", f.read())}


BASES = id_bases()
GATE, SAMPLE, WIDTH, NUMBERS = (BASES["IDC_PROFILE_GATE_BASE"], BASES["IDC_PROFILE_SAMPLE_BASE"],
                                BASES["IDC_PROFILE_WIDTH_BASE"], BASES["IDC_PROFILE_NUMBERS_BASE"])


def control_id(base, entry):
    return "%d" % (base + entry)


def gate_row(out, entry, x, y, check_w, sample_x, sample_w, width_x, width_w):
    out.append('    AUTOCHECKBOX    "%d", %s, %d, %d, %d, 10, WS_TABSTOP'
               % (entry + 1, control_id(GATE, entry), x, y + 1, check_w))
    decay_row(out, entry, sample_x, y, sample_w, width_x, width_w)


def decay_row(out, entry, sample_x, y, sample_w, width_x, width_w):
    out.append('    CONTROL         "", %s, "Button", BS_OWNERDRAW | WS_TABSTOP, %d, %d, %d, 12'
               % (control_id(SAMPLE, entry), sample_x, y, sample_w))
    out.append('    COMBOBOX        %s, %d, %d, %d, 60, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP'
               % (control_id(WIDTH, entry), width_x, y, width_w))


def label(out, text, x, y, w):
    out.append('    LTEXT           "%s", -1, %d, %d, %d, 9' % (text, x, y, w))


def group(out, text, x, y, w, h):
    out.append('    GROUPBOX        "%s", -1, %d, %d, %d, %d' % (text, x, y, w, h))


def header(out, name, w, h, caption):
    out.append("%s DIALOGEX 0, 0, %d, %d" % (name, w, h))
    out.append("STYLE DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU")
    out.append('CAPTION "%s"' % caption)
    out.append('FONT 8, "MS Sans Serif"')
    out.append("BEGIN")


def standard():
    out = []
    header(out, "PROFILES", 464, 273, "Profile Plot Attributes")
    group(out, "Profile Mode", 4, 4, 456, 186)
    for c in range(3):
        x0 = 12 + c * 150
        label(out, "Gate   Plot", x0, 14, 34)
        label(out, "Color", x0 + 36, 14, 40)
        label(out, "Thickness", x0 + 96, 14, 44)
        label(out, "(click to select color)", x0 + 36, 23, 58)
        for r in range(10):
            entry = c * 10 + r
            y = 34 + r * 15
            gate_row(out, entry, x0, y, 32, x0 + 36, 56, x0 + 96, 46)
    group(out, "Decay Graph in Monitor Mode", 4, 194, 160, 46)
    label(out, "Decay", 10, 208, 58)
    decay_row(out, 100, 70, 206, 44, 118, 42)
    group(out, "Decay Graph in Log and Review Modes", 168, 194, 292, 46)
    label(out, "Intermediate Decay", 174, 208, 70)
    decay_row(out, 101, 246, 206, 60, 310, 46)
    label(out, "Final Decay", 174, 224, 70)
    decay_row(out, 102, 246, 222, 60, 310, 46)
    out.append('    DEFPUSHBUTTON   "OK", IDOK, 330, 250, 56, 14')
    out.append('    PUSHBUTTON      "Cancel", IDCANCEL, 396, 250, 56, 14')
    out.append("END")
    return out


def extended():
    out = []
    header(out, "PROFILESEXTENDED", 598, 366, "Profile Plot Attributes - Extended")
    label(out, "Checked Gates will plotted as profiles", 8, 4, 180)
    label(out, "Click Color button to select colour of plotted profile.", 200, 4, 240)
    for c in range(5):
        x0 = 8 + c * 118
        label(out, "Gate Color Thick.", x0, 14, 110)
        for r in range(20):
            entry = c * 20 + r
            y = 24 + r * 12
            gate_row(out, entry, x0, y, 28, x0 + 30, 44, x0 + 78, 34)
    group(out, "Gates Displayed in Numeric Window", 4, 266, 590, 62)
    for entry in range(100):
        x = 10 + (entry % 25) * 23
        y = 276 + (entry // 25) * 10
        out.append('    AUTOCHECKBOX    "%d", %s, %d, %d, 22, 9, WS_TABSTOP' % (entry + 1, control_id(NUMBERS, entry), x, y))
    label(out, "Applies only if more than 40 Gates is measured, otherwise first 40 selected Gates will be displayed "
               "as numeric values.", 10, 316, 580)
    group(out, "Decay Graph in Monitor Mode", 4, 330, 170, 32)
    label(out, "Monitoring Decay", 10, 344, 62)
    decay_row(out, 100, 74, 342, 50, 128, 42)
    group(out, "Decay Graph in Log and Review Modes", 178, 330, 320, 32)
    label(out, "Intermediate Decay", 184, 344, 64)
    decay_row(out, 101, 248, 342, 40, 292, 42)
    label(out, "Final Decay", 340, 344, 44)
    decay_row(out, 102, 384, 342, 40, 428, 42)
    out.append('    DEFPUSHBUTTON   "OK", IDOK, 510, 332, 80, 13')
    out.append('    PUSHBUTTON      "Cancel", IDCANCEL, 510, 348, 80, 13')
    out.append("END")
    return out


def main():
    lines = [
        "// Dialog templates of \"Profile Plot Attributes\": PROFILES (standard gates) and",
        "// PROFILESEXTENDED (user-defined gates). Written by make_profile_dialogs.py; change that",
        "// script and run it again rather than this file.",
        "#include <windows.h>",
        '#include "view_ids.h"',
        "",
        "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US",
        "",
    ]
    lines += standard() + [""] + extended()
    with open(os.path.join(HERE, "profiles.rc"), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
