// The settings of the portable build, which has no profile: the US conventions.
#include <memory>

#include "components/entry/intlsup.h"

namespace tess {

std::unique_ptr<TIntlSource> SystemIntlSource() { return std::make_unique<TIntlValues>(); }

}  // namespace tess
