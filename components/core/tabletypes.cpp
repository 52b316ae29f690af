// See tabletypes.h.
#include "components/core/tabletypes.h"

namespace tess {

void ResizeDisplayArray(std::unique_ptr<TOvcTblDisplayArray>& A, uint16_t NewAlloc) {
  if (NewAlloc == 0) {
    A.reset();
    return;
  }
  auto fresh = std::make_unique<TOvcTblDisplayArray>();
  fresh->AllocNm = NewAlloc;
  fresh->Ay.resize(NewAlloc);
  if (A) {
    fresh->Count = A->Count < NewAlloc ? A->Count : NewAlloc;
    for (uint16_t i = 0; i < fresh->Count; ++i) fresh->Ay[i] = A->Ay[i];
  }
  A = std::move(fresh);
}

}  // namespace tess
