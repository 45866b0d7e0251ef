// Ids of the harness's own target program (e2e_target.exe), shared by the program, its
// resource script and the tests that drive it. Plain defines: windres reads this file too.
#pragma once

#define TARGET_CLASS L"E2ETarget"
#define TARGET_TITLE L"E2E Target"
#define TARGET_MENU 100

// Window placement on the 1280 by 1024 test screen.
#define TARGET_X 40
#define TARGET_Y 30
#define TARGET_WIDTH 420
#define TARGET_HEIGHT 320

// Client background: a colour that no control uses, so that a capture can be checked.
#define TARGET_BACK_R 0
#define TARGET_BACK_G 128
#define TARGET_BACK_B 255

// Menu items.
#define IDM_OPEN 1001     // enabled
#define IDM_GREYED 1002   // greyed until IDC_TOGGLE
#define IDM_CHECKED 1003  // checked until IDC_TOGGLE
#define IDM_EXIT 1004     // ends the program with exit code 0

// Controls; the buttons also run as commands of the main window.
#define IDC_ASK 201       // "Ask": a Yes/No/Cancel message box; the answer goes to IDC_EDIT
#define IDC_DISABLED 202  // a disabled button
#define IDC_HIDDEN 203    // a hidden button
#define IDC_TOGGLE 210    // enables IDM_GREYED and unchecks IDM_CHECKED
#define IDC_HANG 220      // busy-waits for ever without messages: a hung program
#define IDC_EXIT3 230     // ends the program with exit code 3
#define IDC_EDIT 301      // edit control, starts with "hello"
#define IDC_KEYS 302      // "keys N chars M": key-down and character messages of the main window
#define IDC_FOLDER 303    // the current folder at start
