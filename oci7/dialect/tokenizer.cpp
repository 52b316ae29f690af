// The Oracle SQL and PL/SQL tokenizer.  One pass over the bytes; every token keeps its
// offset and length in the original text, so that errors found later (by the
// translator or by SQLite) can be reported where the user wrote the construct.
#include <cstring>

#include "oci7/dialect/dialect.h"

namespace tess::oci7 {
namespace {

bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
// Bytes above 127 are letters of the database character set.
bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}
bool IsWordChar(unsigned char c) {
  return IsLetter(c) || IsDigit(c) || c == '_' || c == '$' || c == '#';
}

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// The closing delimiter of a q'<open> ... <close>' literal.
char QuoteCloser(char open) {
  switch (open) {
    case '[':
      return ']';
    case '{':
      return '}';
    case '(':
      return ')';
    case '<':
      return '>';
    default:
      return open;
  }
}

constexpr const char* kTwoCharOperators[] = {
    ":=", "=>", "||", "**", "..", "<=", ">=", "<>", "!=", "^=", "~=", "<<", ">>"};

}  // namespace

std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> out;
  out.reserve(text.size() / 4 + 4);
  const size_t n = text.size();
  size_t i = 0;
  auto at = [&](size_t k) -> unsigned char {
    return k < n ? static_cast<unsigned char>(text[k]) : 0;
  };

  while (i < n) {
    unsigned char c = at(i);
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (c == '-' && at(i + 1) == '-') {
      while (i < n && text[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && at(i + 1) == '*') {
      size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) throw EngineError(1742, {}, int(i));
      i = end + 2;
      continue;
    }
    Token t;
    t.offset = i;
    // String literals, with the national and alternative-quoting prefixes.
    size_t q = i;
    bool national = false;
    if ((c == 'N' || c == 'n') &&
        (at(i + 1) == '\'' || ((at(i + 1) == 'q' || at(i + 1) == 'Q') && at(i + 2) == '\''))) {
      national = true;
      ++q;
    }
    if ((at(q) == 'q' || at(q) == 'Q') && at(q + 1) == '\'' && at(q + 2) != 0 &&
        !IsBlank(at(q + 2))) {
      char open = text[q + 2];
      char close = QuoteCloser(open);
      size_t k = q + 3;
      for (;; ++k) {
        if (k + 1 >= n) throw EngineError(1756, {}, int(i));
        if (text[k] == close && text[k + 1] == '\'') break;
      }
      t.kind = TokenKind::String;
      t.value.assign(text.substr(q + 3, k - (q + 3)));
      i = k + 2;
      t.length = i - t.offset;
      out.push_back(std::move(t));
      continue;
    }
    if (at(q) == '\'' && (national || q == i)) {
      size_t k = q + 1;
      std::string value;
      for (;;) {
        if (k >= n) throw EngineError(1756, {}, int(i));
        if (text[k] == '\'') {
          if (at(k + 1) == '\'') {
            value.push_back('\'');
            k += 2;
            continue;
          }
          break;
        }
        value.push_back(text[k++]);
      }
      t.kind = TokenKind::String;
      t.value = std::move(value);
      i = k + 1;
      t.length = i - t.offset;
      out.push_back(std::move(t));
      continue;
    }
    if (IsLetter(c)) {
      size_t k = i + 1;
      while (k < n && IsWordChar(at(k))) ++k;
      t.kind = TokenKind::Word;
      t.value.reserve(k - i);
      for (size_t j = i; j < k; ++j) t.value.push_back(Upper(text[j]));
      i = k;
      t.length = i - t.offset;
      out.push_back(std::move(t));
      continue;
    }
    if (c == '"') {
      size_t end = text.find('"', i + 1);
      if (end == std::string_view::npos) throw EngineError(1740, {}, int(i));
      t.kind = TokenKind::QuotedIdentifier;
      t.value.assign(text.substr(i + 1, end - i - 1));
      i = end + 1;
      t.length = i - t.offset;
      out.push_back(std::move(t));
      continue;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(at(i + 1)))) {
      size_t k = i;
      while (IsDigit(at(k))) ++k;
      // "1..10" is a range, not the number "1." followed by ".10".
      if (at(k) == '.' && at(k + 1) != '.') {
        ++k;
        while (IsDigit(at(k))) ++k;
      }
      if ((at(k) == 'e' || at(k) == 'E') &&
          (IsDigit(at(k + 1)) || ((at(k + 1) == '+' || at(k + 1) == '-') && IsDigit(at(k + 2))))) {
        k += 2;
        while (IsDigit(at(k))) ++k;
      }
      t.kind = TokenKind::Number;
      t.value.assign(text.substr(i, k - i));
      i = k;
      t.length = i - t.offset;
      out.push_back(std::move(t));
      continue;
    }
    if (c == ':' && (IsWordChar(at(i + 1)) || at(i + 1) == '"')) {
      size_t k = i + 1;
      t.kind = TokenKind::Bind;
      if (at(k) == '"') {
        size_t end = text.find('"', k + 1);
        if (end == std::string_view::npos) throw EngineError(1740, {}, int(k));
        t.value.assign(text.substr(k + 1, end - k - 1));
        k = end + 1;
      } else {
        while (k < n && IsWordChar(at(k))) t.value.push_back(Upper(text[k++]));
      }
      i = k;
      t.length = i - t.offset;
      out.push_back(std::move(t));
      continue;
    }
    t.kind = TokenKind::Operator;
    size_t len = 1;
    if (i + 1 < n) {
      for (const char* op : kTwoCharOperators) {
        if (text[i] == op[0] && text[i + 1] == op[1]) {
          len = 2;
          break;
        }
      }
    }
    t.value.push_back(text[i]);
    if (len == 2) t.value.push_back(text[i + 1]);
    i += len;
    t.length = len;
    out.push_back(std::move(t));
  }
  return out;
}

}  // namespace tess::oci7
