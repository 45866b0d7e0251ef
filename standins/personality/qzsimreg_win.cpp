// qzsimreg.exe: registers the simulated board by both routes in the running Wine session (the
// device map lives in the volatile part of the registry, so it is made again for every run).
// Exit code 0 when both are registered.
#include "standins/personality/sim_registration_win.h"

#include <cstdio>

int main()
{
    const bool interfaces = RegisterSimBoardInterface();
    const bool deviceMap = RegisterSimBoardDeviceMap();
    if (!interfaces)
        std::fprintf(stderr, "qzsimreg: the device interface of the simulated board could not be registered\n");
    if (!deviceMap)
        std::fprintf(stderr, "qzsimreg: the device map entry of the simulated board could not be registered\n");
    return interfaces && deviceMap ? 0 : 1;
}
