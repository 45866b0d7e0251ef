#include "vlox/settings/settings.h"

SettingsValues Settings;

int32_t ConfigInvalid = 0;
double RepetitionRate = 30.0;
int32_t GateCount = 20;
int32_t MonitorPassPeriodsFast = 5;
int32_t MonitorPassPeriods = 1;
double TxAmpereTurns = 0.0;
double TotalTurnOffDelay = 0.0;
int32_t MapLayoutMode = 2;
