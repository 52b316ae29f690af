// Conditional compilation: $IF / $ELSIF / $ELSE / $END and $ERROR directives are
// resolved before parsing by blanking every directive and every branch not taken, so the
// parser sees plain PL/SQL at the original offsets.  Conditions are static boolean
// expressions over DBMS_DB_VERSION and literals; inquiry directives ($$NAME) have no value
// here and count as NULL.
#include <cstdlib>

#include "oci7/plsql/parser.h"

namespace tess::oci7::plsql {
namespace {

constexpr double kVersion = 7;
constexpr double kRelease = 3;

struct CcValue {
  enum Kind { Null, Bool, Num, Str } kind = Null;
  double n = 0;
  bool b = false;
  std::string s;
};

class Preprocessor {
 public:
  Preprocessor(std::string_view text, const std::vector<Token>& tokens,
               std::vector<Message>& errors)
      : text_(text), t_(tokens), out_(text), errors_(errors) {}

  std::string Run() {
    size_t i = Walk(0, true);
    if (i < t_.size()) Fail(i, "$END, $ELSE and $ELSIF must follow a $IF");
    return std::move(out_);
  }

 private:
  bool IsDir(size_t i, std::string_view word) const {
    return i + 1 < t_.size() && t_[i].kind == TokenKind::Operator && t_[i].value == "$" &&
           t_[i + 1].kind == TokenKind::Word && t_[i + 1].value == word &&
           t_[i + 1].offset == t_[i].offset + 1;
  }
  bool IsAnyDir(size_t i) const {
    return IsDir(i, "IF") || IsDir(i, "THEN") || IsDir(i, "ELSIF") || IsDir(i, "ELSE") ||
           IsDir(i, "END") || IsDir(i, "ERROR");
  }
  [[noreturn]] void Fail(size_t i, const std::string& what) const {
    size_t at = i < t_.size() ? t_[i].offset : text_.size();
    std::string symbol = i < t_.size() ? "$" + (i + 1 < t_.size() ? t_[i + 1].value : std::string())
                                       : std::string("end-of-file");
    throw SyntaxError{at, ExpectedMessage(symbol, what), 0, {}};
  }
  void Blank(size_t from, size_t to) {
    for (size_t k = from; k < to && k < out_.size(); ++k)
      if (out_[k] != '\n' && out_[k] != '\r') out_[k] = ' ';
  }
  size_t EndOf(size_t i) const { return t_[i].offset + t_[i].length; }

  // Walks text from token i, resolving nested directives; stops at $ELSIF, $ELSE or
  // $END of the enclosing $IF (returning its index) or at the end.
  size_t Walk(size_t i, bool active) {
    while (i < t_.size()) {
      if (IsDir(i, "IF")) {
        i = If(i, active);
      } else if (IsDir(i, "ERROR")) {
        i = Error(i, active);
      } else if (IsDir(i, "ELSIF") || IsDir(i, "ELSE") || IsDir(i, "END")) {
        return i;
      } else if (IsDir(i, "THEN")) {
        Fail(i, "$IF $ELSIF");
      } else {
        if (!active) Blank(t_[i].offset, EndOf(i));
        ++i;
      }
    }
    return i;
  }

  size_t If(size_t i, bool active) {
    size_t start = t_[i].offset;
    bool taken = false;
    i += 2;
    while (true) {
      size_t c = i;
      while (c < t_.size() && !IsDir(c, "THEN")) {
        if (IsAnyDir(c)) Fail(c, "$THEN");
        ++c;
      }
      if (c >= t_.size()) Fail(c, "$THEN");
      bool value = false;
      if (active && !taken) value = Truth(i, c);
      Blank(start, EndOf(c + 1));
      i = Walk(c + 2, value);
      if (value) taken = true;
      if (i >= t_.size()) Fail(i, "$ELSE $ELSIF $END");
      if (IsDir(i, "ELSIF")) {
        start = t_[i].offset;
        i += 2;
        continue;
      }
      if (IsDir(i, "ELSE")) {
        Blank(t_[i].offset, EndOf(i + 1));
        i = Walk(i + 2, active && !taken);
        if (i >= t_.size() || !IsDir(i, "END")) Fail(i, "$END");
      }
      Blank(t_[i].offset, EndOf(i + 1));
      return i + 2;
    }
  }

  size_t Error(size_t i, bool active) {
    size_t start = t_[i].offset;
    size_t c = i + 2;
    std::string message;
    while (c < t_.size() && !IsDir(c, "END")) {
      if (t_[c].kind == TokenKind::String) message += t_[c].value;
      ++c;
    }
    if (c >= t_.size()) Fail(c, "$END");
    if (active) {
      Message m;
      m.offset = start;
      m.text = "PLS-00179: $ERROR: " + message;
      errors_.push_back(std::move(m));
    }
    Blank(start, EndOf(c + 1));
    return c + 2;
  }

  // The condition t_[from, to) as a static boolean: only TRUE selects the branch.
  bool Truth(size_t from, size_t to) {
    pos_ = from;
    end_ = to;
    CcValue v = Or();
    if (pos_ != end_ || (v.kind != CcValue::Bool && v.kind != CcValue::Null))
      throw SyntaxError{
          t_[from].offset, "PLS-00174: a static boolean expression must be used", 0, {}};
    return v.kind == CcValue::Bool && v.b;
  }

  bool Word(std::string_view w) const {
    return pos_ < end_ && t_[pos_].kind == TokenKind::Word && t_[pos_].value == w;
  }
  bool Op(std::string_view o) const {
    return pos_ < end_ && t_[pos_].kind == TokenKind::Operator && t_[pos_].value == o;
  }
  [[noreturn]] void Bad() const {
    size_t at = pos_ < end_ ? t_[pos_].offset : (end_ < t_.size() ? t_[end_].offset : text_.size());
    throw SyntaxError{at, "PLS-00174: a static boolean expression must be used", 0, {}};
  }

  CcValue Or() {
    CcValue l = And();
    while (Word("OR")) {
      ++pos_;
      CcValue r = And();
      bool lt = l.kind == CcValue::Bool && l.b, rt = r.kind == CcValue::Bool && r.b;
      if (lt || rt) {
        l = {CcValue::Bool, 0, true, {}};
      } else if (l.kind == CcValue::Null || r.kind == CcValue::Null) {
        l = {};
      } else {
        l = {CcValue::Bool, 0, false, {}};
      }
    }
    return l;
  }
  CcValue And() {
    CcValue l = Not();
    while (Word("AND")) {
      ++pos_;
      CcValue r = Not();
      bool lf = l.kind == CcValue::Bool && !l.b, rf = r.kind == CcValue::Bool && !r.b;
      if (lf || rf) {
        l = {CcValue::Bool, 0, false, {}};
      } else if (l.kind == CcValue::Null || r.kind == CcValue::Null) {
        l = {};
      } else {
        l = {CcValue::Bool, 0, true, {}};
      }
    }
    return l;
  }
  CcValue Not() {
    if (Word("NOT")) {
      ++pos_;
      CcValue v = Not();
      if (v.kind == CcValue::Bool) v.b = !v.b;
      return v;
    }
    return Comparison();
  }
  CcValue Comparison() {
    CcValue l = Primary();
    if (Word("IS")) {
      ++pos_;
      bool negated = false;
      if (Word("NOT")) ++pos_, negated = true;
      if (!Word("NULL")) Bad();
      ++pos_;
      return {CcValue::Bool, 0, (l.kind == CcValue::Null) != negated, {}};
    }
    if (pos_ < end_ && t_[pos_].kind == TokenKind::Operator) {
      std::string op = t_[pos_].value;
      if (op == "=" || op == "<>" || op == "!=" || op == "~=" || op == "^=" || op == "<" ||
          op == ">" || op == "<=" || op == ">=") {
        ++pos_;
        CcValue r = Primary();
        if (l.kind == CcValue::Null || r.kind == CcValue::Null) return {};
        int cmp;
        if (l.kind == CcValue::Num && r.kind == CcValue::Num)
          cmp = l.n < r.n ? -1 : l.n > r.n ? 1 : 0;
        else if (l.kind == CcValue::Str && r.kind == CcValue::Str)
          cmp = l.s.compare(r.s) < 0 ? -1 : l.s.compare(r.s) > 0 ? 1 : 0;
        else if (l.kind == CcValue::Bool && r.kind == CcValue::Bool)
          cmp = l.b == r.b ? 0 : (l.b ? 1 : -1);
        else
          Bad();
        bool v = op == "="    ? cmp == 0
                 : op == "<"  ? cmp < 0
                 : op == ">"  ? cmp > 0
                 : op == "<=" ? cmp <= 0
                 : op == ">=" ? cmp >= 0
                              : cmp != 0;
        return {CcValue::Bool, 0, v, {}};
      }
    }
    return l;
  }
  CcValue Primary() {
    if (pos_ >= end_) Bad();
    const Token& t = t_[pos_];
    if (t.kind == TokenKind::Number) {
      ++pos_;
      return {CcValue::Num, std::strtod(t.value.c_str(), nullptr), false, {}};
    }
    if (t.kind == TokenKind::String) {
      ++pos_;
      return {CcValue::Str, 0, false, t.value};
    }
    if (Op("(")) {
      ++pos_;
      CcValue v = Or();
      if (!Op(")")) Bad();
      ++pos_;
      return v;
    }
    if (Op("-")) {
      ++pos_;
      CcValue v = Primary();
      if (v.kind != CcValue::Num) Bad();
      v.n = -v.n;
      return v;
    }
    if (Op("$") && pos_ + 2 < end_ && t_[pos_ + 1].Is("$") &&
        t_[pos_ + 2].kind == TokenKind::Word) {
      pos_ += 3;
      return {};
    }
    if (t.kind != TokenKind::Word) Bad();
    if (Word("TRUE") || Word("FALSE")) {
      ++pos_;
      return {CcValue::Bool, 0, t.value == "TRUE", {}};
    }
    if (Word("NULL")) {
      ++pos_;
      return {};
    }
    std::vector<std::string> parts{t.value};
    ++pos_;
    while (Op(".") && pos_ + 1 < end_ && t_[pos_ + 1].kind == TokenKind::Word) {
      parts.push_back(t_[pos_ + 1].value);
      pos_ += 2;
    }
    if (parts.size() == 2 && parts[0] == "DBMS_DB_VERSION") {
      if (parts[1] == "VERSION") return {CcValue::Num, kVersion, false, {}};
      if (parts[1] == "RELEASE") return {CcValue::Num, kRelease, false, {}};
      // VER_LE_10, VER_LE_10_2: this server is at or below that version.
      if (parts[1].compare(0, 7, "VER_LE_") == 0) {
        const char* p = parts[1].c_str() + 7;
        char* rest = nullptr;
        double version = std::strtod(p, &rest);
        double release = 99;
        if (rest && *rest == '_') release = std::strtod(rest + 1, nullptr);
        bool le = kVersion < version || (kVersion == version && kRelease <= release);
        return {CcValue::Bool, 0, le, {}};
      }
    }
    return {};  // a package constant this server does not have
  }

  std::string_view text_;
  const std::vector<Token>& t_;
  std::string out_;
  std::vector<Message>& errors_;
  size_t pos_ = 0;
  size_t end_ = 0;
};

}  // namespace

std::string PreprocessConditionals(std::string_view text, std::vector<Message>& errors) {
  if (text.find('$') == std::string_view::npos) return std::string(text);
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(text);
  } catch (const OraError&) {
    return std::string(text);  // the parse reports it
  }
  return Preprocessor(text, tokens, errors).Run();
}

}  // namespace tess::oci7::plsql
