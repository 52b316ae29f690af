// String lists: against a model under random operations, sorted search, name=value
// lines, text and comma text, update counting, and files with every kind of line end.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/classes.h"
#include "tests/corpus.h"

namespace tess {
namespace {

std::vector<std::string> Lines(const TStrings& s) {
  std::vector<std::string> out;
  for (int i = 0; i < s.Count(); ++i) out.push_back(s.Strings(i));
  return out;
}

std::string RandomWord(std::mt19937& rng) {
  static const char kChars[] = "aAbB=";
  std::string s;
  for (size_t n = rng() % 4; n > 0; --n) s += kChars[rng() % 5];
  return s;
}

struct Mode {
  bool sorted;
  TDuplicates dups;
};

class StringListModel : public ::testing::TestWithParam<Mode> {};

// The list against a vector: an unsorted model takes every operation as it comes; a
// sorted model inserts after every equal string (ignoring case), as a multiset would.
TEST_P(StringListModel, RandomOperations) {
  const Mode mode = GetParam();
  std::mt19937 rng(mode.sorted * 10 + mode.dups);
  TStringList list;
  list.SetDuplicates(mode.dups);
  list.SetSorted(mode.sorted);
  std::vector<std::string> model;
  auto first_equal = [&](const std::string& s) {
    for (size_t i = 0; i < model.size(); ++i)
      if (CompareText(model[i], s) == 0) return static_cast<int>(i);
    return -1;
  };
  for (int step = 0; step < 3000; ++step) {
    const std::string w = RandomWord(rng);
    const int n = static_cast<int>(model.size());
    switch (rng() % 6) {
      case 0:
      case 1:
      case 2: {
        int eq = first_equal(w);
        if (mode.sorted && eq >= 0 && mode.dups == dupError) {
          EXPECT_THROW(list.Add(w), EStringListError);
        } else if (mode.sorted && eq >= 0 && mode.dups == dupIgnore) {
          EXPECT_EQ(list.Add(w), eq);
        } else if (mode.sorted) {
          auto at = std::upper_bound(model.begin(), model.end(), w,
                                     [](auto& a, auto& b) { return CompareText(a, b) < 0; });
          EXPECT_EQ(list.Add(w), static_cast<int>(at - model.begin()));
          model.insert(at, w);
        } else {
          EXPECT_EQ(list.Add(w), n);
          model.push_back(w);
        }
        break;
      }
      case 3:
        if (n) {
          int i = static_cast<int>(rng() % n);
          list.Delete(i);
          model.erase(model.begin() + i);
        }
        break;
      case 4: {
        EXPECT_EQ(list.IndexOf(w), first_equal(w)) << w;
        int at = -1;
        if (mode.sorted) {
          bool found = list.Find(w, at);
          EXPECT_EQ(found, first_equal(w) >= 0);
          auto lb = std::lower_bound(model.begin(), model.end(), w,
                                     [](auto& a, auto& b) { return CompareText(a, b) < 0; });
          EXPECT_EQ(at, static_cast<int>(lb - model.begin()));
        }
        break;
      }
      case 5:
        if (mode.sorted) {
          EXPECT_THROW(list.Insert(0, w), EStringListError);
          if (n) {
            EXPECT_THROW(list.SetStrings(0, w), EStringListError);
          }
          if (n > 1) {
            EXPECT_THROW(list.Exchange(0, 1), EStringListError);
          }
        } else {
          int i = static_cast<int>(rng() % (n + 1));
          list.Insert(i, w);
          model.insert(model.begin() + i, w);
          if (n > 1) {
            int a = static_cast<int>(rng() % n), b = static_cast<int>(rng() % n);
            list.Move(a, b);
            std::string v = model[a];
            model.erase(model.begin() + a);
            model.insert(model.begin() + b, v);
          }
        }
        break;
    }
    ASSERT_EQ(Lines(list), model) << "step " << step;
  }
}

INSTANTIATE_TEST_SUITE_P(AllModes, StringListModel,
                         ::testing::Values(Mode{false, dupAccept}, Mode{true, dupIgnore},
                                           Mode{true, dupAccept}, Mode{true, dupError}));

TEST(StringList, SortingKeepsObjectsAndOrderOfEquals) {
  TStringList list;
  TObject objs[4];
  list.AddObject("beta", &objs[0]);
  list.AddObject("Alpha", &objs[1]);
  list.AddObject("BETA", &objs[2]);
  list.AddObject("alpha", &objs[3]);
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Alpha", "alpha", "beta", "BETA"}));
  EXPECT_EQ(list.Objects(0), &objs[1]);
  EXPECT_EQ(list.IndexOfObject(&objs[2]), 3);
  EXPECT_EQ(list.IndexOfObject(nullptr), -1);
  int at = 0;
  EXPECT_TRUE(list.Find("ALPHA", at));
  EXPECT_EQ(at, 0);
  EXPECT_FALSE(list.Find("b", at));
  EXPECT_EQ(at, 2);
  // Ordinal: "_" (0x5F) sorts after the upper-case letters but the comparison folds
  // letters to upper case, so "_" comes after every letter.
  list.Add("_x");
  EXPECT_EQ(list.Strings(list.Count() - 1), "_x");
  EXPECT_THROW(list.CustomSort([](TStringList*, int, int) { return 0; }), EStringListError);

  list.SetSorted(false);
  list.CustomSort([](TStringList* l, int a, int b) {
    return static_cast<int>(l->Strings(b).size()) - static_cast<int>(l->Strings(a).size());
  });
  EXPECT_EQ(list.Strings(list.Count() - 1), "_x");
  EXPECT_EQ(list.Objects(0), &objs[1]);  // longest first, equals keep their order
}

TEST(StringList, NameValueLines) {
  TStringList list;
  list.SetText("Host=db1\nPort=1521\nnoequals\nEmpty=\nPath=a=b");
  EXPECT_EQ(list.Values("host"), "db1");
  EXPECT_EQ(list.Values("Path"), "a=b");
  EXPECT_EQ(list.Values("noequals"), "");
  EXPECT_EQ(list.IndexOfName("EMPTY"), 3);
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.ValueFromIndex(4), "a=b");
  list.SetValues("PORT", "1522");
  EXPECT_EQ(list.Strings(1), "PORT=1522");
  list.SetValues("User", "scott");
  EXPECT_EQ(list.Strings(5), "User=scott");
  list.SetValues("Host", "");
  EXPECT_EQ(list.IndexOfName("Host"), -1);
  EXPECT_EQ(list.Count(), 5);

  // A sorted list stays sorted when a value changes.
  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Add("b=2");
  sorted.Add("a=1");
  sorted.Add("c=3");
  sorted.SetValues("b", "22");
  sorted.SetValueFromIndex(0, "11");
  EXPECT_EQ(sorted.CommaText(), "a=11,b=22,c=3");
}

TEST(StringList, TextSplitsOnEveryKindOfLineEnd) {
  TStringList list;
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\n", {""}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\n\rb", {"a", "", "b"}},
      {"x\r\r", {"x", ""}},
  };
  for (const auto& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << c.text;
  }
  list.SetText("a\nb");
  EXPECT_EQ(list.Text(), "a\r\nb\r\n");
  std::string with_nul("a\0b\nc", 5);
  list.SetText(with_nul);
  EXPECT_EQ(list.Strings(0), std::string("a\0b", 3));  // nothing is cut at a zero byte
}

TEST(StringList, CommaTextQuotesAndRoundTrips) {
  TStringList list;
  list.SetCommaText(R"(  a b,"c d",,"e""f" , g,)");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c d", "", "e\"f", "g", ""}));
  list.SetCommaText("\"\"");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{""}));
  EXPECT_EQ(list.CommaText(), "\"\"");
  list.SetCommaText("");
  EXPECT_EQ(list.Count(), 0);
  list.SetCommaText("\"unterminated");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"unterminated"}));

  std::mt19937 rng(5);
  static const char kChars[] = "ab ,\"\t'";
  for (int round = 0; round < 300; ++round) {
    list.Clear();
    for (size_t n = 1 + rng() % 5; n > 0; --n) {
      std::string s;
      for (size_t k = rng() % 5; k > 0; --k) s += kChars[rng() % 7];
      list.Add(s);
    }
    TStringList back;
    back.SetCommaText(list.CommaText());
    ASSERT_EQ(Lines(back), Lines(list)) << list.CommaText();
  }
}

TEST(StringList, UpdatesFireOnceAfterTheOutermostEnd) {
  TStringList list;
  int changes = 0, changings = 0;
  list.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &list);
    ++changes;
  };
  list.OnChanging = [&](TObject*) { ++changings; };
  list.Add("a");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(changings, 1);

  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Add("c");
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(changings, 2);

  list.BeginUpdate();  // nothing changes: nothing fires
  list.EndUpdate();
  list.EndUpdate();  // unbalanced: ignored
  list.Clear();
  list.Clear();  // already empty
  EXPECT_EQ(changes, 3);

  // A failure half way still ends the update.
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  TStringList src;
  src.SetText("x\ny\nx");
  EXPECT_THROW(list.AddStrings(&src), EStringListError);
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(list.Count(), 2);

  TStringList copy;
  copy.Assign(&list);
  EXPECT_TRUE(copy.Equals(&list));
}

TEST(StringList, OwnedObjectsAreDeleted) {
  static int alive = 0;
  struct TCounted : TObject {
    TCounted() { ++alive; }
    ~TCounted() override { --alive; }
  };
  {
    TStringList list(true);
    for (int i = 0; i < 5; ++i) list.AddObject(IntToStr(i), new TCounted);
    list.Delete(0);
    EXPECT_EQ(alive, 4);
  }
  EXPECT_EQ(alive, 0);
}

// Replacing a line of a sorted list that owns its objects moves the line with its object
// and frees nothing; a replacement the duplicates rule refuses leaves the list as it was.
TEST(StringList, SortedOwningListKeepsObjectsThroughReplacedLines) {
  static int alive = 0;
  struct TTagged : TObject {
    explicit TTagged(int Id) : id(Id) { ++alive; }
    ~TTagged() override { --alive; }
    int id;
  };
  const auto less = [](const std::string& a, const std::string& b) {
    return CompareText(a, b) < 0;
  };
  for (TDuplicates dups : {dupIgnore, dupAccept, dupError}) {
    std::mt19937 rng(40 + dups);
    {
      TStringList list(true);
      list.SetSorted(true);
      list.SetDuplicates(dups);
      std::vector<std::pair<std::string, int>> model;  // line, object id
      int next_id = 1;
      auto name_of = [](const std::string& line) { return line.substr(0, line.find('=')); };
      // Line i becomes Line in the model; false when the duplicates rule refuses it.
      auto replace = [&](int i, const std::string& line) {
        for (size_t j = 0; j < model.size(); ++j)
          if (static_cast<int>(j) != i && CompareText(model[j].first, line) == 0) {
            if (dups != dupAccept) return false;
          }
        auto item = model[static_cast<size_t>(i)];
        model.erase(model.begin() + i);
        item.first = line;
        auto at = std::upper_bound(model.begin(), model.end(), line,
                                   [&](auto& a, auto& b) { return less(a, b.first); });
        model.insert(at, item);
        return true;
      };
      for (int step = 0; step < 2000; ++step) {
        const std::string name(1, "abcd"[rng() % 4]);
        const std::string value = rng() % 6 == 0 ? "" : std::string(1, "123"[rng() % 3]);
        const int n = static_cast<int>(model.size());
        switch (rng() % 3) {
          case 0: {  // a new line with an object
            std::string line = name + "=" + (value.empty() ? "0" : value);
            bool dup = std::any_of(model.begin(), model.end(),
                                   [&](auto& m) { return CompareText(m.first, line) == 0; });
            auto* obj = new TTagged(next_id);
            if (dup && dups == dupError) {
              EXPECT_THROW(list.AddObject(line, obj), EStringListError);
              delete obj;
            } else if (dup && dups == dupIgnore) {
              list.AddObject(line, obj);
              delete obj;
            } else {
              list.AddObject(line, obj);
              auto at = std::upper_bound(model.begin(), model.end(), line,
                                         [&](auto& a, auto& b) { return less(a, b.first); });
              model.insert(at, {line, next_id});
            }
            ++next_id;
            break;
          }
          case 1: {  // by name
            int i = -1;
            for (int j = 0; j < n && i < 0; ++j)
              if (CompareText(name_of(model[static_cast<size_t>(j)].first), name) == 0) i = j;
            if (value.empty()) {
              list.SetValues(name, value);
              if (i >= 0) model.erase(model.begin() + i);
            } else if (i < 0) {
              list.SetValues(name, value);
              auto at = std::upper_bound(model.begin(), model.end(), name + "=" + value,
                                         [&](auto& a, auto& b) { return less(a, b.first); });
              model.insert(at, {name + "=" + value, 0});
            } else if (!replace(i, name + "=" + value) && dups == dupError) {
              EXPECT_THROW(list.SetValues(name, value), EStringListError);
            } else {
              list.SetValues(name, value);
            }
            break;
          }
          case 2:  // by index
            if (n > 0) {
              int i = static_cast<int>(rng() % n);
              std::string line = name_of(model[static_cast<size_t>(i)].first) + "=" + value;
              if (value.empty()) {
                list.SetValueFromIndex(i, value);
                model.erase(model.begin() + i);
              } else if (!replace(i, line) && dups == dupError) {
                EXPECT_THROW(list.SetValueFromIndex(i, value), EStringListError);
              } else {
                list.SetValueFromIndex(i, value);
              }
            }
            break;
        }
        ASSERT_EQ(list.Count(), static_cast<int>(model.size())) << "step " << step;
        int owned = 0;
        for (int j = 0; j < list.Count(); ++j) {
          ASSERT_EQ(list.Strings(j), model[static_cast<size_t>(j)].first) << "step " << step;
          auto* obj = dynamic_cast<TTagged*>(list.Objects(j));
          ASSERT_EQ(obj ? obj->id : 0, model[static_cast<size_t>(j)].second) << "step " << step;
          owned += obj != nullptr;
        }
        ASSERT_EQ(alive, owned) << "step " << step;
      }
    }
    EXPECT_EQ(alive, 0);
  }
}

std::string TempPath(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() / "tess_core_strings";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Spit(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary);
  out << data;
}

// A real source with CR LF line ends, and one with LF, through a temp dir: the lines
// read are the same whatever the line end, and saving writes CR LF.
TEST(StringList, FileRoundTripsWithRealSources) {
  const std::string crlf_file = corpus::Root() + "/alexandria/ora/xml_util_pkg.pkb";
  const std::string lf_file = corpus::Root() + "/utplsql/source/core/ut_utils.pkb";
  ASSERT_TRUE(FileExists(crlf_file) && FileExists(lf_file)) << "no corpus at " << corpus::Root();

  for (const std::string& src : {crlf_file, lf_file}) {
    const std::string original = Slurp(src);
    std::string lf = StringReplace(original, "\r\n", "\n", rfReplaceAll);
    std::string cr = StringReplace(lf, "\n", "\r", rfReplaceAll);
    std::string crlf = StringReplace(lf, "\n", "\r\n", rfReplaceAll);

    TStringList from_real;
    from_real.LoadFromFile(src);
    ASSERT_GT(from_real.Count(), 10);
    for (const std::string* variant : {&lf, &cr, &crlf}) {
      std::string path = TempPath("variant.sql");
      Spit(path, *variant);
      TStringList list;
      list.LoadFromFile(path);
      ASSERT_EQ(Lines(list), Lines(from_real));
    }
    std::string out = TempPath("saved.sql");
    from_real.SaveToFile(out);
    std::string expected = crlf;
    if (!expected.empty() && expected.back() != '\n') expected += "\r\n";
    EXPECT_EQ(Slurp(out), expected);
  }
  std::string missing = TempPath("no_such_file.sql");
  DeleteFile(missing);
  TStringList list;
  try {
    list.LoadFromFile(missing);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.FileName(), missing);
    EXPECT_NE(e.Message().find(missing), std::string::npos);
  }
}

TEST(StringList, StreamsReadFromThePosition) {
  TMemoryStream ms;
  ms.SetDataString("skip\nline1\r\nline2");
  ms.SetPosition(5);
  TStringList list;
  list.LoadFromStream(&ms);
  EXPECT_EQ(list.CommaText(), "line1,line2");
  TMemoryStream out;
  list.SaveToStream(&out);
  EXPECT_EQ(out.DataString(), "line1\r\nline2\r\n");
}

}  // namespace
}  // namespace tess
