// Control ids of the conductivity-meter setup dialog SQ12SETUP. Plain defines: read by the
// resource compiler and by the dialog procedure.
#pragma once

#define IDC_METER_INPUT 12867
#define IDC_METER_PORT 12868
#define IDC_METER_TYPE 12869
#define IDC_METER_SAMPLES 12870
