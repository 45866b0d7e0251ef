// Control ids of the selective nulling dialog SELECTIVENULLING. Plain defines: read by the
// resource compiler and by the dialog procedure.
#pragma once

#define IDC_NULLING_RATES 12271
