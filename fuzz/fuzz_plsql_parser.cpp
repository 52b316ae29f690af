// The PL/SQL front end over any text: the script splitter, then each unit parsed,
// checked and, for a stored program's header, turned into argument rows.  Messages must
// point inside the text they were made for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "oci7/plsql/front.h"

using namespace tess::oci7::plsql;

namespace {

void CheckMessages(const std::vector<Message>& messages, std::string_view text) {
  for (const Message& m : messages)
    FUZZ_CHECK(m.offset <= text.size() && m.line >= 1 && m.position >= 1 && !m.text.empty());
}

void Unit_(std::string_view text) {
  Environment env;
  env.isSchemaObject = [](const std::string& owner, const std::string& name) {
    return (owner.size() + name.size()) % 2 == 0;
  };
  env.isUser = [](const std::string& name) { return name == "DEMO" || name == "SYS"; };
  ParseResult r = CompileUnit(text, env);
  CheckMessages(r.errors, text);
  if (r.unit) ArgumentRows(*r.unit);
  ReadUnitHeader(text);
  std::vector<Message> errors;
  ParseExpression(text.substr(0, 200), errors);
  CheckMessages(errors, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  std::vector<ScriptStatement> statements = SplitScript(script);
  size_t prev = 0;
  for (const ScriptStatement& s : statements) {
    FUZZ_CHECK(s.offset >= prev && s.offset <= size && s.line >= 1);
    prev = s.offset;
  }
  // The whole text as one unit, then each unit the splitter found.
  Unit_(script);
  for (const ScriptStatement& s : statements)
    if (s.kind == ScriptStatement::Plsql) Unit_(s.text);
  return 0;
}
