// Large buffers that are filled once from start to end (a part inflated whole, a range's cells)
// ask the system for huge pages: one page fault per 2 MiB instead of one per 4 KiB, which is most
// of the time the system spends handing out the memory.
#ifndef VINTREL_HOST_COMMON_HUGE_PAGES_H_
#define VINTREL_HOST_COMMON_HUGE_PAGES_H_

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace vintrel::host {

// Advises huge pages for the whole 2 MiB pages inside [data, data + bytes); small buffers are
// left alone. Only advice: nothing changes where the system has no huge pages.
inline void AdviseHugePages(const void* data, size_t bytes) {
#if defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_HUGE_PAGES_H_
