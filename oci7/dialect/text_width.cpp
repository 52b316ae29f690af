// The widest text a select-list expression can give, for describing it: what Oracle
// reports as the item's size and display size.  A column gives its declared length, a
// literal its own, functions what their arguments and constant lengths allow ('x' ||
// ENAME is 11, SUBSTR(ENAME, 1, 3) is 3, TO_CHAR(HIREDATE) the width of the session's
// date form).  Where nothing tells (a bind, a PL/SQL variable, REPLACE), the width is 0:
// unknown, and the caller falls back on the widest VARCHAR2.  Internal to the dialect.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "oci7/dialect/translator.h"

namespace tess::oci7 {

using ast::Expr;
using ast::ExprKind;
using ast::RefKind;

namespace {

// The widest VARCHAR2 a value may be; a wider sum is that.
constexpr int kWidest = 4000;
// A number as text: Oracle's 40-character field.
constexpr int kNumberWidth = 40;
constexpr int kRowidWidth = 18;
constexpr int kUserWidth = 30;

// A positive whole number written as a literal, or 0.
int LiteralCount(const Expr& e) {
  if (e.kind != ExprKind::Number) return 0;
  char* end = nullptr;
  const long v = std::strtol(e.text.c_str(), &end, 10);
  return *end == '\0' && v > 0 && v <= kWidest ? static_cast<int>(v) : 0;
}

std::string Upper(std::string_view S) {
  std::string u(S);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

// The width of a date in Format, or 0 when it varies beyond what one sample date shows:
// spelled numbers and years, and Roman months.
int DateWidth(std::string_view Format) {
  const std::string f = Upper(Format);
  if (f.find("SP") != std::string::npos || f.find("YEAR") != std::string::npos ||
      f.find("RM") != std::string::npos)
    return 0;
  return DisplaySize(OracleType{kTypeDate, 7, 0, 0}, Format);
}

// The width of a number in a model of digits, signs, separators and exponent (its own
// length and a sign's place), or 0 for one whose output length varies otherwise (currency
// names, Roman numerals, text minimum).
int NumberWidth(std::string_view Model) {
  const std::string m = Upper(Model);
  if (m.find_first_not_of("90,.$BSMIPRDGVFEX") != std::string::npos ||
      m.find("RN") != std::string::npos)
    return 0;
  return static_cast<int>(m.size()) + 1;
}

class Widths {
 public:
  explicit Widths(std::string_view DateFormat) : date_format_(DateFormat) {}

  // 0: unknown.
  int Of(const Expr& e) const {
    switch (e.kind) {
      case ExprKind::String:
        return static_cast<int>(e.text.size());
      case ExprKind::Null:
        return 0;
      case ExprKind::Name:
        if (e.ref == RefKind::User) return kUserWidth;
        if (e.ref == RefKind::Column && (e.type == kTypeVarchar2 || e.type == kTypeChar))
          return e.size;
        return ByType(e.type);
      case ExprKind::Call:
        return OfCall(e);
      case ExprKind::Chain: {
        int sum = 0;
        for (const std::string& op : e.ops)
          if (op != "||") return ByType(e.type);
        for (const auto& a : e.args) {
          const int w = Of(*a);
          if (w == 0 && a->kind != ExprKind::Null) return 0;
          sum += w;
        }
        return std::min(sum, kWidest);
      }
      case ExprKind::Case: {
        std::vector<const Expr*> results;
        for (size_t i = e.hasOperand ? 2 : 1; i < e.args.size(); i += 2)
          results.push_back(e.args[i].get());
        if (e.hasElse) results.push_back(e.args.back().get());
        return Widest(results);
      }
      case ExprKind::Subquery: {
        const ast::Query* q = e.query.get();
        while (q != nullptr && !q->block) q = q->parts.empty() ? nullptr : q->parts[0].get();
        if (q == nullptr || q->block->items.size() != 1) return 0;
        return Of(*q->block->items[0].expr);
      }
      default:
        return ByType(e.type);
    }
  }

 private:
  // A value of a type that is not text, as text.
  int ByType(int Type) const {
    switch (Type) {
      case kTypeNumber:
        return kNumberWidth;
      case kTypeDate:
        return DateWidth(date_format_);
      case kTypeRowid:
        return kRowidWidth;
      default:
        return 0;
    }
  }

  int Widest(const std::vector<const Expr*>& Values) const {
    int widest = 0;
    for (const Expr* v : Values) {
      const int w = Of(*v);
      if (w == 0 && v->kind != ExprKind::Null) return 0;
      widest = std::max(widest, w);
    }
    return widest;
  }

  int OfCall(const Expr& e) const {
    const std::string& f = e.text;
    const auto& a = e.args;
    auto arg = [&](size_t i) { return i < a.size() ? Of(*a[i]) : 0; };
    if (f == "UPPER" || f == "LOWER" || f == "INITCAP" || f == "NLS_UPPER" || f == "NLS_LOWER" ||
        f == "NLS_INITCAP" || f == "LTRIM" || f == "RTRIM" || f == "TRANSLATE" || f == "MAX" ||
        f == "MIN")
      return arg(0);
    if (f == "SUBSTR" || f == "SUBSTRB") {
      const int whole = arg(0);
      const int count = a.size() > 2 ? LiteralCount(*a[2]) : 0;
      if (count > 0) return whole > 0 ? std::min(whole, count) : count;
      return whole;
    }
    if (f == "LPAD" || f == "RPAD") return LiteralCount(*a[1]);
    if (f == "CONCAT") {
      const int x = arg(0), y = arg(1);
      return x > 0 && y > 0 ? std::min(x + y, kWidest) : 0;
    }
    if (f == "NVL") return Widest({a[0].get(), a[1].get()});
    if (f == "NVL2") return Widest({a[1].get(), a[2].get()});
    if (f == "DECODE") {
      std::vector<const Expr*> results;
      for (size_t i = 2; i < a.size(); i += 2) results.push_back(a[i].get());
      if (a.size() % 2 == 0) results.push_back(a.back().get());
      return Widest(results);
    }
    if (f == "GREATEST" || f == "LEAST") {
      std::vector<const Expr*> all;
      for (const auto& x : a) all.push_back(x.get());
      return Widest(all);
    }
    if (f == "CHR") return 1;
    if (f == "SOUNDEX") return 4;
    if (f == "ROWIDTOCHAR") return kRowidWidth;
    if (f == "TO_CHAR") return OfToChar(e);
    return ByType(e.type);
  }

  int OfToChar(const Expr& e) const {
    const Expr& value = *e.args[0];
    const Expr* format = e.args.size() > 1 ? e.args[1].get() : nullptr;
    if (format != nullptr && format->kind != ExprKind::String) return 0;
    if (value.type == kTypeDate)
      return DateWidth(format != nullptr ? std::string_view(format->text) : date_format_);
    if (value.type == kTypeNumber)
      return format != nullptr ? NumberWidth(format->text) : kNumberWidth;
    return Of(value);
  }

  std::string_view date_format_;
};

}  // namespace

int TextWidth(const Expr& e, std::string_view DateFormat) {
  return Widths(DateFormat).Of(e);
}

}  // namespace tess::oci7
