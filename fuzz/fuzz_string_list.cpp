// The string lists' reading of outside text: a file's bytes loaded as lines (CR, LF and
// CR LF), then the lines through Text and CommaText and back, which must give the same
// lines; sorted lists must stay sorted and find what they hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/core/classes.h"
#include "fuzz/fuzz_check.h"

using namespace tess;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream file;
  file.WriteBuffer(data, static_cast<int64_t>(size));
  file.SetPosition(0);
  TStringList lines;
  lines.LoadFromStream(&file);

  // A line never holds a line end; saving and loading again changes nothing.
  for (int i = 0; i < lines.Count(); ++i)
    FUZZ_CHECK(lines.Strings(i).find_first_of("\r\n") == std::string::npos);
  TMemoryStream saved;
  lines.SaveToStream(&saved);
  saved.SetPosition(0);
  TStringList again;
  again.LoadFromStream(&saved);
  FUZZ_CHECK(again.Equals(&lines));

  TStringList text;
  text.SetText(lines.Text());
  FUZZ_CHECK(text.Equals(&lines));

  TStringList comma;
  comma.SetCommaText(lines.CommaText());
  FUZZ_CHECK(comma.Equals(&lines));

  // Name=value lines answer what they hold.
  for (int i = 0; i < lines.Count() && i < 50; ++i) {
    const std::string name = lines.Names(i);
    if (name.empty()) continue;
    const int at = lines.IndexOfName(name);
    FUZZ_CHECK(at >= 0 && at <= i);
  }

  TStringList sorted;
  sorted.SetSorted(true);
  sorted.SetDuplicates(dupAccept);
  sorted.AddStrings(&lines);
  FUZZ_CHECK(sorted.Count() == lines.Count());
  for (int i = 1; i < sorted.Count(); ++i)
    FUZZ_CHECK(CompareText(sorted.Strings(i - 1), sorted.Strings(i)) <= 0);
  for (int i = 0; i < sorted.Count() && i < 50; ++i) {
    int index = -1;
    FUZZ_CHECK(sorted.Find(sorted.Strings(i), index));
    FUZZ_CHECK(CompareText(sorted.Strings(index), sorted.Strings(i)) == 0);
  }
  return 0;
}
