#include "vlox/measure/acquisition_state.h"

int32_t OutputLineBase = 0;
int32_t InvertOn = 0;
double PolaritySign = 1.0;

double TxLoopArea = 0.0;
double TxCornerEasting[TxCornerCount] = {};
double TxCornerNorthing[TxCornerCount] = {};

void ComputeTxLoopArea()
{
    TxLoopArea = LoopArea(LoopGeometryFromSettings(Settings), TxCornerEasting, TxCornerNorthing);
}
