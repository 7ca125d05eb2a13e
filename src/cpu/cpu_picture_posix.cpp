// Native builds have no picture library; the page goes on without a picture.
#include "cpu/cpu_page.h"

uintptr_t LoadCpuPicture(const std::string&, const std::vector<std::string>&) { return 0; }
