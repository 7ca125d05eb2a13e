#include "app/program_shutdown.h"

SystemShutdown& ProgramShutdown() { return SystemShutdownCall(); }
