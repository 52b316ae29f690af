// The dialect's functions and rewrites against simple models: LIKE against a regular
// expression, SUBSTR and INSTR against a direct reading of Oracle's rules, format models
// and date arithmetic through round trips, CONNECT BY and (+) against walks done here.
#include <map>
#include <random>

#include "tests/oci7/dialect/dialect_db.h"

using namespace tess::oci7;
using namespace tess::oci7::testing;

namespace {

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

}  // namespace

TEST(Models, LikeAgreesWithARegularExpression) {
  DialectDb d;
  std::mt19937 rng(3);
  const std::string alphabet = "abA%_";
  auto random = [&](size_t maxLen, size_t letters) {
    std::string s;
    size_t n = rng() % (maxLen + 1);
    for (size_t i = 0; i < n; ++i) s.push_back(alphabet[rng() % letters]);
    return s;
  };
  for (int i = 0; i < 400; ++i) {
    std::string value = random(7, 3);
    std::string pattern = random(5, 5);
    if (value.empty() || pattern.empty()) continue;  // '' is NULL
    // The model: match[v][j] says whether value[v..] matches pattern[j..].
    std::vector<std::vector<char>> match(value.size() + 1,
                                         std::vector<char>(pattern.size() + 1, 0));
    match[value.size()][pattern.size()] = 1;
    for (size_t v = value.size() + 1; v-- > 0;) {
      for (size_t j = pattern.size(); j-- > 0;) {
        char p = pattern[j];
        if (p == '%') {
          match[v][j] = match[v][j + 1] || (v < value.size() && match[v + 1][j]);
        } else if (v < value.size() && (p == '_' || p == value[v])) {
          match[v][j] = match[v + 1][j + 1];
        }
      }
    }
    bool expected = match[0][0];
    std::string got =
        d.One("select count(*) from dual where " + Quote(value) + " like " + Quote(pattern));
    ASSERT_EQ(got, expected ? "1" : "0") << value << " LIKE " << pattern;
  }
}

TEST(Models, SubstrAndInstrFollowOraclesRules) {
  DialectDb d;
  std::mt19937 rng(5);
  for (int i = 0; i < 300; ++i) {
    std::string s;
    size_t n = 1 + rng() % 8;
    for (size_t k = 0; k < n; ++k) s.push_back("ab"[rng() % 2]);
    int pos = int(rng() % 21) - 10;
    int len = int(rng() % 12) - 2;
    // SUBSTR: position 0 is 1, negative counts from the end, no length below 1.
    int start = pos == 0 ? 1 : pos < 0 ? int(n) + pos + 1 : pos;
    std::string expected;
    if (start >= 1 && start <= int(n) && len >= 1)
      expected = s.substr(size_t(start - 1), size_t(len));
    std::string got = d.One("select substr(" + Quote(s) + ", " + std::to_string(pos) + ", " +
                            std::to_string(len) + ") from dual");
    ASSERT_EQ(got, expected.empty() ? "<null>" : expected) << s << " " << pos << " " << len;

    // INSTR: the occ-th match starting at pos, searching backwards for negative pos.
    std::string sub = std::string(1 + rng() % 2, "ab"[rng() % 2]);
    int occ = 1 + int(rng() % 3);
    int ipos = int(rng() % 13) - 6;
    int want = 0;
    if (ipos > 0) {
      int seen = 0;
      for (int k = ipos - 1; k + int(sub.size()) <= int(n); ++k) {
        if (s.compare(size_t(k), sub.size(), sub) == 0 && ++seen == occ) {
          want = k + 1;
          break;
        }
      }
    } else if (ipos < 0) {
      int seen = 0;
      for (int k = int(n) + ipos; k >= 0; --k) {
        if (k + int(sub.size()) <= int(n) && s.compare(size_t(k), sub.size(), sub) == 0 &&
            ++seen == occ) {
          want = k + 1;
          break;
        }
      }
    }
    got = d.One("select instr(" + Quote(s) + ", " + Quote(sub) + ", " + std::to_string(ipos) +
                ", " + std::to_string(occ) + ") from dual");
    ASSERT_EQ(got, std::to_string(want)) << s << " " << sub << " " << ipos << " " << occ;
  }
}

TEST(Models, FormatModelsRoundTrip) {
  DialectDb d;
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> value(-9999999.0, 9999999.0);
  for (int i = 0; i < 200; ++i) {
    double v = std::round(value(rng) * 100) / 100;
    char literal[64];
    std::snprintf(literal, sizeof literal, "%.2f", v);
    for (const char* model : {"9,999,999.99", "S0000000.00", "9999999.99MI", "FM9G999G999D00"}) {
      std::string sql = std::string("select to_number(to_char(") + literal + ", '" + model +
                        "'), '" + model + "') - " + literal + " from dual";
      ASSERT_EQ(d.One(sql), "0") << literal << " " << model;
    }
  }
  // Random dates through the models that fix every field, in SQL this time.
  std::uniform_int_distribution<int> days(0, 3000000);
  for (int i = 0; i < 200; ++i) {
    std::string j = std::to_string(1721424 + days(rng));  // from year 1 on
    for (const char* model : {"DD-MON-YYYY HH24:MI:SS", "YYYYMMDD", "fmMonth DD, YYYY", "J"}) {
      std::string sql = "select to_char(to_date(to_char(to_date('" + j + "', 'J'), '" + model +
                        "'), '" + model + "'), 'J') from dual";
      ASSERT_EQ(d.One(sql), j) << model;
    }
  }
}

TEST(Models, DateArithmeticIsConsistent) {
  DialectDb d;
  std::mt19937 rng(13);
  for (int i = 0; i < 150; ++i) {
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", 1 + int(rng() % 9000),
                  1 + int(rng() % 12), 1 + int(rng() % 27), int(rng() % 24), int(rng() % 60),
                  int(rng() % 60));
    std::string dt = std::string("to_date('") + date + "', 'YYYY-MM-DD HH24:MI:SS')";
    int k = int(rng() % 400) - 200;
    double n = double(int(rng() % 200000) - 100000) / 96.0;  // quarter hours
    char nbuf[32];
    std::snprintf(nbuf, sizeof nbuf, "%.6f", n);
    // (d + n) - d = n, d - (d - n) = n, and months between shifted dates are whole.
    EXPECT_EQ(
        d.One("select round((" + dt + " + " + nbuf + ") - " + dt + ", 6) - " + nbuf + " from dual"),
        "0")
        << date << " + " << nbuf;
    EXPECT_EQ(d.One("select months_between(add_months(" + dt + ", " + std::to_string(k) + "), " +
                    dt + ") from dual"),
              std::to_string(k))
        << date << " " << k;
    EXPECT_EQ(d.One("select to_char(add_months(" + dt + ", " + std::to_string(k) +
                    "), 'DD HH24:MI:SS') from dual"),
              std::string(date).substr(8, 2) + std::string(date).substr(10))
        << date << " " << k;
    EXPECT_EQ(d.One("select last_day(" + dt + ") >= " + dt + " from dual"), "1") << date;
  }
}

// Random forests walked by CONNECT BY against a depth-first walk done here.
TEST(Models, ConnectByMatchesADepthFirstWalk) {
  DialectDb d;
  d.Run("create table node (id number primary key, parent number, tag varchar2(5))");
  std::mt19937 rng(17);
  const int n = 60;
  std::vector<int> parent(n + 1, 0);
  for (int id = 1; id <= n; ++id) {
    parent[id] = (id == 1 || rng() % 5 == 0) ? 0 : 1 + int(rng() % unsigned(id - 1));
    d.Run("insert into node values (" + std::to_string(id) + ", " +
          (parent[id] ? std::to_string(parent[id]) : std::string("null")) + ", 't" +
          std::to_string(id % 3) + "')");
  }
  Rows rows = d.Run(
      "select id, level, prior id from node start with parent is null connect by prior id = "
      "parent");
  ASSERT_EQ(rows.size(), size_t(n));
  // Each row comes after its parent, at the parent's level plus one, and the order is a
  // depth-first walk: a row's parent is on the stack of open ancestors.
  std::map<int, int> levelOf;
  std::vector<int> stack;
  for (auto& r : rows) {
    int id = std::stoi(r[0]), level = std::stoi(r[1]);
    int p = parent[id];
    if (p == 0) {
      EXPECT_EQ(level, 1);
      EXPECT_EQ(r[2], "<null>");
    } else {
      ASSERT_TRUE(levelOf.count(p)) << id;
      EXPECT_EQ(level, levelOf[p] + 1);
      EXPECT_EQ(r[2], std::to_string(p));
    }
    while (!stack.empty() && stack.back() != p) stack.pop_back();
    if (p) {
      ASSERT_FALSE(stack.empty()) << "not depth first at " << id;
    }
    stack.push_back(id);
    levelOf[id] = level;
  }
  // START WITH a subtree: exactly the descendants of that node.
  int root = 2;
  std::set<int> expected = {root};
  for (int id = 1; id <= n; ++id) {
    for (int a = parent[id]; a; a = parent[a]) {
      if (a == root) expected.insert(id);
    }
  }
  EXPECT_EQ(d.Run("select id from node start with id = 2 connect by prior id = parent").size(),
            expected.size());
  // An outer join of every node to its parent keeps the roots.
  size_t roots = size_t(std::count(parent.begin() + 1, parent.end(), 0));
  EXPECT_EQ(d.One("select count(*) from node c, node p where c.parent = p.id(+) and p.id is null"),
            std::to_string(roots));
  EXPECT_EQ(d.One("select count(*) from node c, node p where c.parent = p.id(+)"),
            std::to_string(n));
}

// Every owner and name, dots and digits anywhere, has a SQLite name of its own that reads
// back to it.
TEST(Models, PhysicalNamesAreOnePerObject) {
  std::mt19937 rng(11);
  const std::string alphabet = "AB.1";
  auto random = [&](size_t minLen) {
    std::string s(minLen + rng() % 5, ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  std::map<std::string, std::pair<std::string, std::string>> seen;
  for (int i = 0; i < 4000; ++i) {
    std::pair<std::string, std::string> object{random(rng() % 8 == 0 ? 0 : 1), random(1)};
    const std::string key = PhysicalKey(object.first, object.second);
    auto [it, added] = seen.emplace(key, object);
    EXPECT_TRUE(added || it->second == object) << key;
    EXPECT_EQ(SplitPhysicalKey(key), object) << key;
    EXPECT_EQ(PhysicalName(object.first, object.second), "\"" + key + "\"");
  }
  EXPECT_EQ(PhysicalKey("DEMO", "EMP"), "DEMO.EMP");  // what database files hold
  EXPECT_EQ(SplitPhysicalKey("DEMO.B.EMP"),
            std::make_pair(std::string("DEMO"), std::string("B.EMP")));
  EXPECT_EQ(SplitPhysicalKey("NODOT"), std::nullopt);
  EXPECT_EQ(SplitPhysicalKey(".x.A.B"), std::nullopt);
}
