#include "vlox/measure/nulling_win.h"

void SelectActiveRepetition(int32_t)
{
}

int32_t StandardGatesNullingStep()
{
    return 0;
}

int32_t UserGatesNullingStep()
{
    return 0;
}
