// The access layer's word scanner and its text routines over any text: every entry point
// of TyParserA (fresh text, extra word characters, a state forced from outside) must end
// with positions inside the text and lines that only grow.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "oracle/sql_scanner.h"
#include "oracle/sql_text.h"
#include "fuzz/fuzz_check.h"

using namespace tess;

namespace {

// Columns are checked for scans from the normal state: a state forced from outside
// (stWord, stQuotedName) continues a word whose start the scanner never saw.
void ScanAll(TyParserA& p, const std::string& text, const TCharSet& extra, bool columns) {
  std::string word;
  int32_t line = 1;
  // Each call consumes at least one character, so the text bounds the calls.
  for (size_t calls = 0; calls <= text.size() + 1; ++calls) {
    const bool more = p.GetNextWord(word, extra);
    FUZZ_CHECK(p.Line() >= line);
    line = p.Line();
    FUZZ_CHECK(p.Position() <= static_cast<int32_t>(text.size()));
    if (columns && !word.empty()) {
      FUZZ_CHECK(p.WordStart() >= 0 && p.WordStart() <= p.WordEnd());
      FUZZ_CHECK(p.WordEnd() <= static_cast<int32_t>(text.size()));
    }
    if (!more) return;
  }
  std::abort();  // the scanner stopped moving
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the extra word characters and a state to start in.
  const uint8_t mode = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string cstr = text.substr(0, text.find('\0'));

  TyParserA p(cstr.c_str());
  ScanAll(p, cstr, mode & 1 ? CharSetOf(".") : TCharSet(), true);
  p.SetText(cstr.c_str());
  p.SetState(static_cast<uint8_t>(mode >> 5) % 6);
  ScanAll(p, cstr, mode & 2 ? CharSetOf(".$#") : CharSetOf("%"),
          p.State() != TyParserA::stWord && p.State() != TyParserA::stQuotedName);
  p.SetText(nullptr);
  ScanAll(p, std::string(), TCharSet(), true);

  // The routines that take lines and error texts apart.
  std::string w1, w2;
  GetScriptLineWords(text, w2, w1);
  int line = 0, col = 0;
  GetErrorLineCol(text, line, col);
  const int lead = FindLeadingCommentStart(text);
  FUZZ_CHECK(lead >= -1 && lead <= static_cast<int>(text.size()));
  const int trail = FindTrailingCommentEnd(text);
  FUZZ_CHECK(trail >= -1 && trail <= static_cast<int>(text.size()));
  for (uint8_t n = 0; n < 4; ++n) {
    int pos = 0;
    if (WordPosition(n, text, " ,;", pos)) FUZZ_CHECK(pos >= 1 && pos <= static_cast<int>(text.size()));
    ExtractWord(n, text, " ,;");
  }
  StripSingleQuotes(text);
  StripDoubleQuotes(text);
  return 0;
}
