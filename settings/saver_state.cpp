// The two settings records of the process; both start all zero.
#include "settings/saver_state.h"

SaverState g_saverState;
SaverState g_dialogState;
