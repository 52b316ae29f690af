// Splitting a script into statements the way SQL*Plus reads it: commands of one logical
// line, SQL statements ended by ";" at the end of a line or by a "/" line, PL/SQL units
// ended only by a "/" (or ".") line, since their text holds semicolons of its own.
#include <array>
#include <cctype>

#include "oci7/plsql/front.h"

namespace tess::oci7::plsql {
namespace {

struct CommandWord {
  const char* name;
  size_t minimum;  // the shortest abbreviation SQL*Plus accepts
};

constexpr std::array<CommandWord, 45> kCommands = {{
    {"ACCEPT", 3},     {"APPEND", 1},    {"ARCHIVE", 4},   {"ATTRIBUTE", 4}, {"BREAK", 3},
    {"BTITLE", 3},     {"CHANGE", 1},    {"CLEAR", 2},     {"COLUMN", 3},    {"COMPUTE", 4},
    {"CONNECT", 4},    {"COPY", 4},      {"DEFINE", 3},    {"DEL", 3},       {"DESCRIBE", 4},
    {"DISCONNECT", 4}, {"EDIT", 2},      {"EXECUTE", 4},   {"EXIT", 4},      {"GET", 3},
    {"HELP", 4},       {"HOST", 2},      {"INPUT", 1},     {"LIST", 1},      {"PASSWORD", 5},
    {"PAUSE", 3},      {"PRINT", 3},     {"PROMPT", 3},    {"QUIT", 4},      {"RECOVER", 7},
    {"REMARK", 3},     {"REPFOOTER", 4}, {"REPHEADER", 4}, {"RUN", 1},       {"SAVE", 3},
    {"SET", 3},        {"SHOW", 3},      {"SHUTDOWN", 8},  {"SPOOL", 3},     {"START", 3},
    {"STARTUP", 7},    {"STORE", 5},     {"TIMING", 4},    {"TTITLE", 3},    {"UNDEFINE", 5},
}};

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
         static_cast<unsigned char>(c) >= 0x80;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

class Splitter {
 public:
  explicit Splitter(std::string_view s) : s_(s) {}

  std::vector<ScriptStatement> Run() {
    while (p_ < s_.size()) {
      SkipBlanksAndComments();
      if (p_ >= s_.size()) break;
      size_t lineStart = LineStart(p_);
      std::string_view rest = TrimmedLine(p_);
      // "/" and "." alone on a line re-run or end an empty buffer: nothing to keep.
      if (p_ == FirstNonBlank(lineStart) && (rest == "/" || rest == ".")) {
        p_ = NextLine(p_);
        continue;
      }
      if (s_[p_] == '@' || s_[p_] == '!' || IsCommand()) {
        Command();
      } else if (IsPlsql()) {
        Plsql();
      } else {
        Sql();
      }
    }
    return std::move(out_);
  }

 private:
  size_t LineStart(size_t p) const {
    while (p > 0 && s_[p - 1] != '\n') --p;
    return p;
  }
  size_t LineEnd(size_t p) const {
    size_t e = s_.find('\n', p);
    return e == std::string_view::npos ? s_.size() : e;
  }
  size_t NextLine(size_t p) const {
    size_t e = LineEnd(p);
    return e < s_.size() ? e + 1 : e;
  }
  size_t FirstNonBlank(size_t lineStart) const {
    size_t p = lineStart;
    while (p < s_.size() && (s_[p] == ' ' || s_[p] == '\t')) ++p;
    return p;
  }
  // The rest of the line from p without surrounding blanks (and CR).
  std::string_view TrimmedLine(size_t p) const {
    size_t e = LineEnd(p);
    while (p < e && (s_[p] == ' ' || s_[p] == '\t')) ++p;
    while (e > p && (s_[e - 1] == ' ' || s_[e - 1] == '\t' || s_[e - 1] == '\r')) --e;
    return s_.substr(p, e - p);
  }
  int LineOf(size_t p) {
    // Lines are counted incrementally: statements come in order.
    for (; counted_ < p && counted_ < s_.size(); ++counted_)
      if (s_[counted_] == '\n') ++line_;
    return line_;
  }

  void SkipBlanksAndComments() {
    while (p_ < s_.size()) {
      char c = s_[p_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++p_;
      } else if (c == '-' && p_ + 1 < s_.size() && s_[p_ + 1] == '-') {
        p_ = LineEnd(p_);
      } else if (c == '/' && p_ + 1 < s_.size() && s_[p_ + 1] == '*') {
        size_t e = s_.find("*/", p_ + 2);
        p_ = e == std::string_view::npos ? s_.size() : e + 2;
      } else {
        return;
      }
    }
  }

  // Up to n words from p on, comments and blanks skipped, upper-cased.
  std::vector<std::string> Words(size_t p, size_t n) const {
    std::vector<std::string> words;
    while (p < s_.size() && words.size() < n) {
      char c = s_[p];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++p;
      } else if (c == '-' && p + 1 < s_.size() && s_[p + 1] == '-') {
        p = LineEnd(p);
      } else if (c == '/' && p + 1 < s_.size() && s_[p + 1] == '*') {
        size_t e = s_.find("*/", p + 2);
        p = e == std::string_view::npos ? s_.size() : e + 2;
      } else if (IsWordChar(c)) {
        size_t q = p;
        while (q < s_.size() && IsWordChar(s_[q])) ++q;
        words.push_back(Upper(s_.substr(p, q - p)));
        p = q;
      } else if (c == '"') {
        size_t e = s_.find('"', p + 1);
        if (e == std::string_view::npos) break;
        words.push_back(std::string(s_.substr(p + 1, e - p - 1)));
        p = e + 1;
      } else {
        words.push_back(std::string(1, c) + (p + 1 < s_.size() ? std::string(1, s_[p + 1]) : ""));
        break;
      }
    }
    return words;
  }

  bool IsCommand() const {
    std::vector<std::string> w = Words(p_, 2);
    if (w.empty()) return false;
    const std::string& first = w[0];
    if (first == "SET" && w.size() > 1 &&
        (w[1] == "TRANSACTION" || w[1] == "ROLE" || w[1] == "CONSTRAINT" || w[1] == "CONSTRAINTS"))
      return false;
    // The word must end where a blank, the line end or a non-word character follows.
    for (const CommandWord& c : kCommands) {
      std::string_view name = c.name;
      if (first.size() >= c.minimum && first.size() <= name.size() &&
          name.substr(0, first.size()) == first)
        return true;
    }
    return false;
  }

  bool IsPlsql() const {
    std::vector<std::string> w = Words(p_, 6);
    if (w.empty()) return false;
    if (w[0] == "DECLARE" || w[0] == "BEGIN" || w[0].compare(0, 2, "<<") == 0) return true;
    if (w[0] != "CREATE") return false;
    size_t i = 1;
    if (i < w.size() && w[i] == "OR") i += 2;  // OR REPLACE
    while (i < w.size() && (w[i] == "EDITIONABLE" || w[i] == "NONEDITIONABLE" || w[i] == "AND" ||
                            w[i] == "COMPILE" || w[i] == "RESOLVE" || w[i] == "NOFORCE"))
      ++i;
    if (i >= w.size()) return false;
    const std::string& kind = w[i];
    return kind == "PROCEDURE" || kind == "FUNCTION" || kind == "PACKAGE" || kind == "TRIGGER" ||
           kind == "TYPE" || kind == "LIBRARY" || kind == "JAVA";
  }

  void Add(ScriptStatement::Kind kind, size_t from, size_t to) {
    while (to > from &&
           (s_[to - 1] == ' ' || s_[to - 1] == '\t' || s_[to - 1] == '\r' || s_[to - 1] == '\n'))
      --to;
    ScriptStatement st;
    st.kind = kind;
    st.offset = from;
    st.line = LineOf(from);
    st.text = std::string(s_.substr(from, to - from));
    out_.push_back(std::move(st));
  }

  void Command() {
    size_t from = p_;
    size_t e = LineEnd(p_);
    // A line ending in "-" continues on the next.
    while (true) {
      std::string_view line = TrimmedLine(LineStart(e == 0 ? 0 : e - 1));
      if (line.empty() || line.back() != '-' || e >= s_.size()) break;
      e = LineEnd(e + 1);
    }
    Add(ScriptStatement::Command, from, e);
    p_ = e < s_.size() ? e + 1 : e;
  }

  void Plsql() {
    size_t from = p_;
    size_t p = NextLine(p_);
    while (p < s_.size()) {
      std::string_view line = TrimmedLine(p);
      if (line == "/" || line == ".") {
        Add(ScriptStatement::Plsql, from, p);
        p_ = NextLine(p);
        return;
      }
      p = NextLine(p);
    }
    Add(ScriptStatement::Plsql, from, s_.size());
    p_ = s_.size();
  }

  void Sql() {
    size_t from = p_;
    size_t p = p_;
    char quote = 0;  // ' or " or the closer of a q'..' literal
    bool qQuote = false;
    while (p < s_.size()) {
      char c = s_[p];
      if (quote) {
        if (qQuote ? (c == quote && p + 1 < s_.size() && s_[p + 1] == '\'') : c == quote) {
          p += qQuote ? 2 : 1;
          quote = 0;
          continue;
        }
        ++p;
        continue;
      }
      if (c == '\n') {
        // A "/" line ends the statement too.
        size_t next = p + 1;
        if (next < s_.size() && TrimmedLine(next) == "/") {
          Add(ScriptStatement::Sql, from, next);
          p_ = NextLine(next);
          return;
        }
        ++p;
        continue;
      }
      if (c == '-' && p + 1 < s_.size() && s_[p + 1] == '-') {
        p = LineEnd(p);
        continue;
      }
      if (c == '/' && p + 1 < s_.size() && s_[p + 1] == '*') {
        size_t e = s_.find("*/", p + 2);
        p = e == std::string_view::npos ? s_.size() : e + 2;
        continue;
      }
      if ((c == 'q' || c == 'Q') && p + 2 < s_.size() && s_[p + 1] == '\'' &&
          (p == 0 || !IsWordChar(s_[p - 1]) ||
           ((s_[p - 1] == 'n' || s_[p - 1] == 'N') && (p < 2 || !IsWordChar(s_[p - 2]))))) {
        char open = s_[p + 2];
        quote = open == '['   ? ']'
                : open == '{' ? '}'
                : open == '(' ? ')'
                : open == '<' ? '>'
                              : open;
        qQuote = true;
        p += 3;
        continue;
      }
      if (c == '\'' || c == '"') {
        quote = c;
        qQuote = false;
        ++p;
        continue;
      }
      if (c == ';') {
        // Only a ";" that ends its line (comments aside) ends the statement.
        std::string_view after = TrimmedLine(p + 1);
        if (after.empty() || after.substr(0, 2) == "--") {
          Add(ScriptStatement::Sql, from, p);
          p_ = NextLine(p);
          return;
        }
      }
      ++p;
    }
    Add(ScriptStatement::Sql, from, s_.size());
    p_ = s_.size();
  }

  std::string_view s_;
  size_t p_ = 0;
  size_t counted_ = 0;
  int line_ = 1;
  std::vector<ScriptStatement> out_;
};

}  // namespace

std::vector<ScriptStatement> SplitScript(std::string_view script) {
  return Splitter(script).Run();
}

}  // namespace tess::oci7::plsql
