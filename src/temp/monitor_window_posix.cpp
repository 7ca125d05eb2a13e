#include "temp/monitor_window.h"

bool SignalMonitorWindow() { return false; }
