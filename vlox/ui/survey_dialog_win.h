// "Survey Parameters" (template NEWSURVEY): the dialog procedure over survey_dialog.h, and
// the command that opens it and saves, redraws and restarts after it.
#pragma once

#include "vlox/ui/survey_dialog.h"

#include <windows.h>

INT_PTR CALLBACK SurveyParametersDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Set Parameters > Survey Parameters.
void SurveyParametersCommand();

// Tells the operator why an OK of a dialog with the loop group was refused (false, showing
// nothing, when it was accepted): the loop's area and a geodetic corner off the globe under
// "Transmitter Size Invalid", a value out of range or too wide for the data file under the
// dialog's caption. field is the field the refused line lands on (its control and name): it
// is named, and the focus goes to it.
bool ShowLoopRefusal(HWND dialog, SurveyOkOutcome outcome, FieldRefusal field, const char* caption);
