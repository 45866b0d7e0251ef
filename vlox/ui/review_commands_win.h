// The review command cases: Start Review and Open Data File with the review screen's set-up,
// Previous and Next Record, Exit Review, Print, Display Comments, Manage Records, Auto Scale
// and Edit Parameters; the open of a file for review, the contents checks and the way back
// to the live screen. The dialogs TAGRECORDS and EDITHEADER are here too.
#pragma once

#include <windows.h>

#include <cstdint>

// Opens a file for review for command 5 (Start Review) or 31 (Open Data File). 1 when a file
// is open for review.
int32_t OpenFileForReview(int32_t command);
// 1 when the file (1), line (2) or station (3) holds something; else leaves review and 0.
int32_t CheckReviewContents(int32_t level);
// Back to the live screen, the data file reopened at its end.
void LeaveReviewMode();

void StartReviewCommand(int32_t command);  // 5 or 31
void StepRecordCommand(int32_t command);   // 25 previous, 26 next
void ExitReviewCommand();
void PrintCommand();
void DisplayCommentsCommand();
void ManageRecordsCommand();
void AutoScaleCommand();
void EditParametersCommand();

INT_PTR CALLBACK ManageRecordsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EditHeaderDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
