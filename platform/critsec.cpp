// See critsec.h.
#include "platform/critsec.h"

#ifdef _WIN32
#include "platform/win32.h"
#else
#include <mutex>
#endif

namespace tess::platform {

#ifdef _WIN32
struct CriticalSection::Impl {
  CRITICAL_SECTION cs;
  Impl() { InitializeCriticalSection(&cs); }
  ~Impl() { DeleteCriticalSection(&cs); }
};
CriticalSection::CriticalSection() : impl_(std::make_unique<Impl>()) {}
CriticalSection::~CriticalSection() = default;
void CriticalSection::Enter() { EnterCriticalSection(&impl_->cs); }
void CriticalSection::Leave() { LeaveCriticalSection(&impl_->cs); }
bool CriticalSection::TryEnter() { return TryEnterCriticalSection(&impl_->cs) != 0; }
#else
struct CriticalSection::Impl {
  std::recursive_mutex m;
};
CriticalSection::CriticalSection() : impl_(std::make_unique<Impl>()) {}
CriticalSection::~CriticalSection() = default;
void CriticalSection::Enter() { impl_->m.lock(); }
void CriticalSection::Leave() { impl_->m.unlock(); }
bool CriticalSection::TryEnter() { return impl_->m.try_lock(); }
#endif

}  // namespace tess::platform
