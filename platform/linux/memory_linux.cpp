#include <sys/mman.h>

#include <cstdint>

#include "platform/memory.h"

namespace pagewick::platform {

void AdviseLargeBuffer(void* data, size_t size) {
  constexpr uintptr_t kHugePage = 2u << 20;
  if (size < 2 * kHugePage) return;
  // Only whole huge pages inside the buffer: madvise wants page-aligned ranges.
  const auto begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace pagewick::platform
