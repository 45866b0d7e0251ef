// "Survey Parameters" (template NEWSURVEY): the dialog procedure over survey_dialog.h, and
// the command that opens it and saves, redraws and restarts after it.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SurveyParametersDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Set Parameters > Survey Parameters.
void SurveyParametersCommand();
