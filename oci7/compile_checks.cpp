#include "oci7/compile_checks.h"

namespace tess::oci7 {

decltype(plsql::Environment::checkSql) SqlNameCheck(Session& s, const std::string& schema) {
  Session* session = &s;
  return [session, schema](const std::string& sql,
                           const std::function<bool(const std::string&)>& isDeclared)
             -> std::optional<std::pair<size_t, std::string>> {
    TranslateContext context = session->MakeTranslateContext(schema);
    context.isVariable = isDeclared;
    try {
      // A trigger's :NEW.COLUMN is one value to the statement: written as one bind of the
      // same length, so that offsets stay those of the text.
      std::string text = sql;
      std::vector<Token> tokens = Tokenize(text);
      for (size_t i = 0; i + 2 < tokens.size(); ++i)
        if (tokens[i].kind == TokenKind::Bind && tokens[i + 1].Is(".") &&
            tokens[i + 1].offset == tokens[i].offset + tokens[i].length)
          text[tokens[i + 1].offset] = '_';
      Translate(text, context);
    } catch (const OraError& e) {
      // Only a missing object is decided here; anything else the statement says is
      // answered when it runs, as before.
      if (e.code == 942 && e.offset >= 0)
        return std::make_pair(static_cast<size_t>(e.offset), e.message);
    }
    return std::nullopt;
  };
}

}  // namespace tess::oci7
