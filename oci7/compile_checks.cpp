#include "oci7/compile_checks.h"

#include <algorithm>

#include "oci7/dictionary.h"

namespace tess::oci7 {

decltype(plsql::Environment::checkSql) SqlNameCheck(Session& s, const std::string& schema,
                                                    Rights rights) {
  Session* session = &s;
  return [session, schema, rights](const std::string& sql,
                                   const std::function<bool(const std::string&)>& isDeclared)
             -> std::optional<std::pair<size_t, std::string>> {
    TranslateContext context = session->MakeTranslateContext(schema, rights);
    context.isVariable = isDeclared;
    std::string text;
    std::vector<Token> tokens;
    try {
      // A trigger's :NEW.COLUMN is one value to the statement: written as one bind of the
      // same length, so that offsets stay those of the text.
      text = sql;
      tokens = Tokenize(text);
      for (size_t i = 0; i + 2 < tokens.size(); ++i)
        if (tokens[i].kind == TokenKind::Bind && tokens[i + 1].Is(".") &&
            tokens[i + 1].offset == tokens[i].offset + tokens[i].length)
          text[tokens[i + 1].offset] = '_';
      Translation tr = Translate(text, context);
      try {
        CheckDmlPrivilege(*session, tr, schema, rights);
      } catch (const OraError& e) {
        return std::make_pair(size_t{0}, e.message);
      }
    } catch (const OraError& e) {
      // Only a missing object or column is decided here; anything else the statement
      // says is answered when it runs, as before.
      if (e.offset < 0) return std::nullopt;
      if (e.code == kOraTableOrViewDoesNotExist)
        return std::make_pair(static_cast<size_t>(e.offset), e.message);
      // A plain name only: a dotted one may be a package's variable, known at run time.
      if (e.code == kOraInvalidIdentifier) {
        auto at = std::find_if(tokens.begin(), tokens.end(), [&](const Token& t) {
          return t.offset == static_cast<size_t>(e.offset);
        });
        if (at != tokens.end() && !(at + 1 != tokens.end() && at[1].Is(".")))
          return std::make_pair(static_cast<size_t>(e.offset), e.message);
      }
    }
    return std::nullopt;
  };
}

}  // namespace tess::oci7
