// The key-command tables' two stored forms over any bytes: the text-file form and the
// component stream's "CommandList".  Reading ends in a table or in the reader's error
// (EInOutError for text, the stream errors for streams); what was read saves back to a
// form that reads back the same bindings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "components/core/commands.h"
#include "framework/core/classes.h"

using namespace tess;

namespace {

void Check(bool Ok) {
  if (!Ok) std::abort();
}

std::string Written(const TOvcCommandTable& T) {
  TMemoryStream ms;
  TWriter w(&ms);
  T.WriteCommands(&w);
  return ms.DataString();
}

// Key identity to command; reading a built-in table never leaves two records with the
// same keys.  Command 0 is how the difference form says "removed", so a record bound to
// it counts as no binding.
std::map<uint32_t, uint16_t> Bindings(const TOvcCommandTable& T) {
  std::map<uint32_t, uint16_t> m;
  for (const TOvcCmdRec& r : T.Commands()) {
    Check(m.emplace(r.Keys(), r.Cmd).second);
    if (r.Cmd == ccNone) m.erase(r.Keys());
  }
  return m;
}

void ReadFrom(TOvcCommandTable& T, const std::string& Bytes) {
  TMemoryStream ms;
  ms.SetDataString(Bytes);
  TReader r(&ms);
  T.ReadCommands(&r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  TOvcCommandTable text;
  try {
    text.LoadFromText(input);
    TOvcCommandTable again;
    again.LoadFromText(text.SaveToText());
    Check(again.TableName() == text.TableName() && again.Commands() == text.Commands());
  } catch (const EInOutError&) {
  }

  TOvcCommandTable stream;
  try {
    ReadFrom(stream, input);
  } catch (const EStreamError&) {
    return 0;
  }
  // Saved and read back, a table of another name comes back record for record; a
  // built-in one binds the same keys to the same commands (a binding deleted and added
  // again may come back at its built-in place), and saved once more reads back exactly.
  TOvcCommandTable again;
  ReadFrom(again, Written(stream));
  Check(again.TableName() == stream.TableName() && again.Active() == stream.Active());
  if (BuiltInCommands(stream.TableName()).empty()) {
    Check(again.Commands() == stream.Commands());
    return 0;
  }
  Check(Bindings(again) == Bindings(stream));
  TOvcCommandTable third;
  ReadFrom(third, Written(again));
  Check(third.Commands() == again.Commands());
  return 0;
}
