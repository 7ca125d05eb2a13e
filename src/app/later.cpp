#include "app/later.h"

void SetButtonShield(TQuillarForm&, bool) {}
void UpdateWindowWatchTimer(TQuillarForm&) {}
