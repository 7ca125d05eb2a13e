// Without the system's registry the native build keeps its keys in memory for the run.
#include "common/registry.h"

Registry& ProcessRegistry() {
    static MemoryRegistry registry;
    return registry;
}
