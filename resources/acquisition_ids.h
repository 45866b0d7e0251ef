// Control ids of the acquisition settings dialogs NEWSURVEY, SYSTEM, TURNOFF, TXCURRENT and
// NUMBEROFRECORDS. Plain defines: read by the resource compiler and by the dialog procedures.
#pragma once

// TURNOFF, TXCURRENT, NUMBEROFRECORDS.
#define IDC_TXCURRENT_VALUE 1340
#define IDC_TURNOFF_VALUE 1341
#define IDC_RECORDS_LIST 12859
