// "Survey Parameters" (template NEWSURVEY): the dialog procedure over survey_dialog.h, and
// the command that opens it and saves, redraws and restarts after it.
#pragma once

#include "vlox/ui/survey_dialog.h"

#include <windows.h>

INT_PTR CALLBACK SurveyParametersDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Set Parameters > Survey Parameters.
void SurveyParametersCommand();

// Shows the message of a loop refusal over the dialog (a number too wide under the dialog's
// own caption); false, showing nothing, when the loop was accepted.
bool ShowLoopRefusal(HWND dialog, SurveyOkOutcome outcome, const char* dialogCaption);
