// The shutdown that the temperature watch's last action asks for. Quillar.exe ends the
// Windows session; QuillarSim.exe records the request on the simulated machine instead, so
// that a test run can never end the session of the machine it runs on. The choice is made
// when the program is linked: each executable holds exactly one of the two.
#pragma once
#include "temp/shutdown.h"

SystemShutdown& ProgramShutdown();
