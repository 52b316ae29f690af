// The settings of the portable build, which has no profile: the US conventions.
#include <memory>

#include "components/editing/intlsup.h"

namespace tess {

std::unique_ptr<TIntlSource> SystemIntlSource() { return std::make_unique<TIntlValues>(); }

}  // namespace tess
