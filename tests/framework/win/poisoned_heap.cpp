// The poisoned heap (see poisoned_heap.h).  Every block carries a header in front; the
// kept blocks form a queue through their headers, so nothing here allocates, and the
// globals are plain data, ready before any constructor runs (the framework's globals
// are made with new during static initialisation).
#include "tests/framework/win/poisoned_heap.h"

#include <malloc.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace tess::testing {
namespace {

struct alignas(16) Header {
  Header* next;  // the next kept block, while kept
  size_t size;   // bytes the caller asked for
  size_t magic;
  size_t pad;
};

constexpr size_t kLive = 0x4C495645A110CA7EULL;
constexpr size_t kFreed = 0xF4EEDF4EEDF4EED0ULL;
constexpr size_t kPaged = 0x50A6ED50A6ED50A6ULL;  // a live block on pages of its own
constexpr size_t kPage = 4096;
// The bytes kept before the oldest block is let go.
constexpr size_t kKeepBytes = size_t{48} << 20;

std::atomic_flag g_lock = ATOMIC_FLAG_INIT;
Header* g_oldest = nullptr;
Header* g_newest = nullptr;
size_t g_kept = 0;
size_t g_spoilt = 0;  // blocks found written to after being freed

// Large blocks get pages of their own.  A freed one keeps its address range, with no pages
// behind it, until this many more went the same way (each range is a mapping of the
// process, and their number is bounded).
constexpr size_t kPagedFrom = 256;
constexpr size_t kPagedKept = size_t{1} << 14;
void* g_paged_ring[kPagedKept];
size_t g_paged_next = 0;

struct Lock {
  Lock() {
    while (g_lock.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~Lock() { g_lock.clear(std::memory_order_release); }
};

// A page of the pattern to compare freed blocks with.
struct Pattern {
  unsigned char bytes[4096];
  Pattern() { std::memset(bytes, kFreedByte, sizeof bytes); }
};

bool Spoilt(const Header* H) {
  static const Pattern pattern;
  auto* p = reinterpret_cast<const unsigned char*>(H + 1);
  for (size_t done = 0; done < H->size;) {
    size_t n = H->size - done < sizeof pattern.bytes ? H->size - done : sizeof pattern.bytes;
    if (std::memcmp(p + done, pattern.bytes, n) != 0) return true;
    done += n;
  }
  return H->magic != kFreed;
}

size_t PagedBytes(size_t Size) {
  return (sizeof(Header) + Size + kPage - 1) / kPage * kPage;
}

void* Allocate(size_t Size) {
  if (Size >= kPagedFrom) {
    // When the process has no more ranges to give, the block is made as any other.
    if (auto* h = static_cast<Header*>(VirtualAlloc(nullptr, PagedBytes(Size),
                                                    MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))) {
      h->next = nullptr;
      h->size = Size;
      h->magic = kPaged;
      return h + 1;
    }
  }
  auto* h = static_cast<Header*>(std::malloc(sizeof(Header) + (Size ? Size : 1)));
  if (!h) return nullptr;
  h->next = nullptr;
  h->size = Size;
  h->magic = kLive;
  return h + 1;
}

void Release(void* P) {
  if (!P) return;
  Header* h = static_cast<Header*>(P) - 1;
  if (h->magic == kPaged) {
    // Taken away: any later touch of the block faults.
    h->magic = kFreed;
    VirtualFree(h, PagedBytes(h->size), MEM_DECOMMIT);
    Lock lock;
    if (void* old = std::exchange(g_paged_ring[g_paged_next], h)) VirtualFree(old, 0, MEM_RELEASE);
    g_paged_next = (g_paged_next + 1) % kPagedKept;
    return;
  }
  if (h->magic != kLive) std::abort();  // freed twice, or never ours
  std::memset(P, kFreedByte, h->size);
  h->magic = kFreed;
  Lock lock;
  if (g_newest)
    g_newest->next = h;
  else
    g_oldest = h;
  g_newest = h;
  g_kept += h->size;
  while (g_kept > kKeepBytes && g_oldest) {
    Header* old = g_oldest;
    g_oldest = old->next;
    if (!g_oldest) g_newest = nullptr;
    g_kept -= old->size;
    if (Spoilt(old)) ++g_spoilt;
    std::free(old);
  }
}

void* AllocateOrThrow(size_t Size) {
  if (void* p = Allocate(Size)) return p;
  throw std::bad_alloc();
}

}  // namespace

std::string FreedBlocksWrittenTo() {
  size_t spoilt;
  {
    Lock lock;
    for (Header* h = g_oldest; h; h = h->next)
      if (Spoilt(h)) {
        ++g_spoilt;
        // Counted once: the block is refilled.
        std::memset(h + 1, kFreedByte, h->size);
        h->magic = kFreed;
      }
    spoilt = g_spoilt;
    g_spoilt = 0;
  }
  if (spoilt == 0) return {};
  return std::to_string(spoilt) + " freed block(s) written to after being freed";
}

}  // namespace tess::testing

// Over-aligned blocks are rare here: they come from the C library as they are, unpoisoned.
void* operator new(size_t Size) {
  return tess::testing::AllocateOrThrow(Size);
}
void* operator new[](size_t Size) {
  return tess::testing::AllocateOrThrow(Size);
}
void* operator new(size_t Size, const std::nothrow_t&) noexcept {
  return tess::testing::Allocate(Size);
}
void* operator new[](size_t Size, const std::nothrow_t&) noexcept {
  return tess::testing::Allocate(Size);
}
void operator delete(void* P) noexcept {
  tess::testing::Release(P);
}
void operator delete[](void* P) noexcept {
  tess::testing::Release(P);
}
void operator delete(void* P, size_t) noexcept {
  tess::testing::Release(P);
}
void operator delete[](void* P, size_t) noexcept {
  tess::testing::Release(P);
}
void operator delete(void* P, const std::nothrow_t&) noexcept {
  tess::testing::Release(P);
}
void operator delete[](void* P, const std::nothrow_t&) noexcept {
  tess::testing::Release(P);
}
void* operator new(size_t Size, std::align_val_t Align) {
  void* p = _aligned_malloc(Size ? Size : 1, static_cast<size_t>(Align));
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t Size, std::align_val_t Align) {
  return operator new(Size, Align);
}
void* operator new(size_t Size, std::align_val_t Align, const std::nothrow_t&) noexcept {
  return _aligned_malloc(Size ? Size : 1, static_cast<size_t>(Align));
}
void* operator new[](size_t Size, std::align_val_t Align, const std::nothrow_t&) noexcept {
  return _aligned_malloc(Size ? Size : 1, static_cast<size_t>(Align));
}
void operator delete(void* P, std::align_val_t) noexcept {
  _aligned_free(P);
}
void operator delete[](void* P, std::align_val_t) noexcept {
  _aligned_free(P);
}
void operator delete(void* P, size_t, std::align_val_t) noexcept {
  _aligned_free(P);
}
void operator delete[](void* P, size_t, std::align_val_t) noexcept {
  _aligned_free(P);
}
void operator delete(void* P, std::align_val_t, const std::nothrow_t&) noexcept {
  _aligned_free(P);
}
void operator delete[](void* P, std::align_val_t, const std::nothrow_t&) noexcept {
  _aligned_free(P);
}
