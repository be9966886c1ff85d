#include "app/launcher_state.h"

LauncherState g_launcher;
