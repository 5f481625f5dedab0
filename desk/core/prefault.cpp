#include "core/prefault.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zeq::desk {

void prefaultForWriting(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    static const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (!data || pageSize <= 0 || bytes < 16 * static_cast<std::size_t>(pageSize)) return;
    // Only the whole pages inside the buffer: its first and last pages may be shared.
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace zeq::desk
