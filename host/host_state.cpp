// The one HostState of the process.
#include "host/host_state.h"

HostState InitialHostState()
{
    HostState state = {};
    state.lastVerifyTick = NoVerifyYet;
    return state;
}

HostState g_host = InitialHostState();
