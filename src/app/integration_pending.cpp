// First versions of steps whose modules are still being written; each goes when its
// module lands.
#include "app/form.h"
#include "app/integration.h"

std::unique_ptr<TrayIconView> CreateTrayView(WindowsForm&) { return nullptr; }
