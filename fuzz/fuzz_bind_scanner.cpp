// The dataset base's bind-variable scanner over any text: each name found is a colon's
// run of letters, digits and "_" somewhere in the text, and no name comes twice
// (ignoring case).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "oracle/dataset.h"
#include "oracle/oracle_query.h"

using namespace tess;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TParams list(nullptr, NewOracleParam);
  ScanBindVariables(text, &list);
  for (int i = 0; i < list.Count(); ++i) {
    const std::string name = list.Items(i)->ParamName();
    FUZZ_CHECK(!name.empty() && text.find(":" + name) != std::string::npos);
    for (int j = 0; j < i; ++j) FUZZ_CHECK(CompareText(list.Items(j)->ParamName(), name) != 0);
  }
  return 0;
}
