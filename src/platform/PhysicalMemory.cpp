#include "platform/PhysicalMemory.h"

#include <unistd.h>

namespace parley {

qint64 physicalMemorySize()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return qint64(pages) * pageSize;
}

} // namespace parley
