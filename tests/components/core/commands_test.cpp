// Key translation as a state machine, the built-in tables, unique names, and the two
// storage forms of the tables (component stream and text file).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "components/core/commands.h"
#include "components/core/exceptions.h"
#include "framework/core/classes.h"

namespace tess {
namespace {

constexpr uint8_t S = kShiftFlagShift, C = kShiftFlagCtrl, A = kShiftFlagAlt;

// Only the named built-in table active.
void ActivateOnly(TOvcCommandProcessor& P, const std::string& Name) {
  for (int i = 0; i < P.Count(); ++i) P.Table(i)->SetActive(SameText(P.Table(i)->TableName(), Name));
}

TEST(CommandProcessor, BuiltInTablesTranslateEveryRow) {
  TOvcCommandProcessor p;
  ASSERT_EQ(p.Count(), 3);
  EXPECT_EQ(p.Table(0)->TableName(), "Default");
  EXPECT_TRUE(p.Table(0)->Active());
  EXPECT_EQ(p.Table(1)->TableName(), "WordStar");
  EXPECT_FALSE(p.Table(1)->Active());
  EXPECT_EQ(p.Table(2)->TableName(), "Grid");
  EXPECT_FALSE(p.Table(2)->Active());
  EXPECT_EQ(p.Table(0)->Count(), 64);
  EXPECT_EQ(p.Table(1)->Count(), 40);
  EXPECT_EQ(p.Table(2)->Count(), 38);
  EXPECT_EQ(p.GetCommandTable("default"), p.Table(0));
  EXPECT_EQ(p.GetCommandTable("nothing"), nullptr);

  for (const char* name : {"Default", "WordStar", "Grid"}) {
    ActivateOnly(p, name);
    for (const TOvcCmdRec& r : p.GetCommandTable(name)->Commands()) {
      p.ResetCommandProcessor();
      if (r.Key2 == 0) {
        EXPECT_EQ(p.TranslateKey(r.Key1, r.ShiftState1), r.Cmd) << name << " key " << int(r.Key1);
      } else {
        EXPECT_EQ(p.TranslateKey(r.Key1, r.ShiftState1), ccPartial);
        EXPECT_EQ(p.TranslateKey(r.Key2, 0), r.Cmd) << name << " second key " << int(r.Key2);
      }
    }
  }
  // A few rows by their keys, as a reader of the tables would check them.
  ActivateOnly(p, "Default");
  p.ResetCommandProcessor();
  EXPECT_EQ(p.TranslateKey('Z', C | S), ccRedo);
  EXPECT_EQ(p.TranslateKey(8, A), ccRestore);
  EXPECT_EQ(p.TranslateKey('7', C | S), ccSetMarker7);
  EXPECT_EQ(p.TranslateKey('Q', C), ccUnmatched);  // WordStar is not active
  ActivateOnly(p, "Grid");
  EXPECT_EQ(p.TranslateKey(113, 0), ccTableEdit);
  EXPECT_EQ(p.TranslateKey(40, C), ccBotRightCell);
}

TEST(CommandProcessor, TwoKeySequences) {
  TOvcCommandProcessor p;
  ActivateOnly(p, "WordStar");
  // A modifier while Ctrl+Q pends keeps the sequence; the second key completes it with
  // or without Ctrl, but not with Shift.
  EXPECT_EQ(p.TranslateKey('Q', C), ccPartial);
  EXPECT_EQ(p.TranslateKey(17, C), ccPartial);
  EXPECT_EQ(p.State(), 1);
  EXPECT_EQ(p.TranslateKey('Y', 0), ccDelEol);
  EXPECT_EQ(p.State(), 0);
  EXPECT_EQ(p.TranslateKey('Q', C), ccPartial);
  EXPECT_EQ(p.TranslateKey('Y', C), ccDelEol);
  EXPECT_EQ(p.TranslateKey('Q', C), ccPartial);
  EXPECT_EQ(p.TranslateKey('Y', S), ccSequenceBroken);
  EXPECT_EQ(p.State(), 0);
  EXPECT_EQ(p.TranslateKey('Y', C), ccDelLine);  // a fresh start
  // Modifiers while idle are ordinary keys; lock keys too, and the whole word counts.
  EXPECT_EQ(p.TranslateKey(16, 0), ccUnmatched);
  EXPECT_EQ(p.TranslateKey(145, 0), ccUnmatched);
  EXPECT_EQ(p.TranslateKey(0x100 + 'S', C), ccLeft);  // only the low byte is matched
  // Ctrl+P passes the next key through, whatever it is bound to, once.
  EXPECT_EQ(p.TranslateKey('P', C), ccCtrlChar);
  EXPECT_EQ(p.TranslateKey(17, 0), ccUnmatched);
  EXPECT_EQ(p.State(), 2);
  EXPECT_EQ(p.TranslateKey('S', C), ccUnmatched);
  EXPECT_EQ(p.TranslateKey('S', C), ccLeft);
  // Reset forgets a pending key.
  EXPECT_EQ(p.TranslateKey('K', C), ccPartial);
  p.ResetCommandProcessor();
  EXPECT_EQ(p.TranslateKey('5', 0), ccUnmatched);
}

TEST(CommandProcessor, TablesInOrderActiveAndNamed) {
  TOvcCommandProcessor p;
  // Both active: Default's Ctrl+Z (undo) hides WordStar's (scroll down); the sequence
  // key of WordStar still works because Default does not bind Ctrl+Q.
  p.GetCommandTable("WordStar")->SetActive(true);
  EXPECT_EQ(p.TranslateKey('Z', C), ccUndo);
  EXPECT_EQ(p.TranslateKey('Q', C), ccPartial);
  EXPECT_EQ(p.TranslateKey('L', 0), ccRestore);
  // A pending first key is looked up in every later table: the second key of a
  // sequence begun in WordStar completes one bound in a table after it.
  int mine = p.CreateCommandTable("Mine", true);
  EXPECT_EQ(mine, 3);
  p.AddCommandRec("Mine", {'Q', C, 'Z', 0, 300});
  EXPECT_EQ(p.TranslateKey('Q', C), ccPartial);
  EXPECT_EQ(p.TranslateKey('Z', 0), 300);
  // Named tables are searched active or not, in the order given; unknown names skipped.
  p.GetCommandTable("Grid")->SetActive(false);
  EXPECT_EQ(p.TranslateKey(113, 0), ccUnmatched);
  EXPECT_EQ(p.TranslateUsingTables({"nope", "Grid"}, 113, 0), ccTableEdit);
  EXPECT_EQ(p.TranslateUsingTables({"Grid", "Default"}, 'Z', C), ccRestore);
  EXPECT_EQ(p.TranslateUsingTables({"Default", "Grid"}, 'Z', C), ccUndo);

  EXPECT_THROW(p.AddCommandRec("Missing", {'A', 0, 0, 0, 1}), ETableNotFound);
  EXPECT_THROW(p.AddCommandRec("Default", {'Z', C, 0, 0, 400}), EDuplicateCommand);
  EXPECT_EQ(p.GetCommandTable("Default")->Count(), 64);
}

TEST(CommandProcessor, UniqueTableNames) {
  TOvcCommandProcessor p;
  auto add = [&](const std::string& name) {
    auto t = std::make_unique<TOvcCommandTable>();
    t->SetTableName(name);
    return p.Table(p.Add(std::move(t)))->TableName();
  };
  EXPECT_EQ(add("Grid"), "Grid1");
  EXPECT_EQ(add("Grid"), "Grid2");
  EXPECT_EQ(add("grid7"), "grid3");
  EXPECT_EQ(add("Other2"), "Other2");  // a free name stays, digits included
  EXPECT_EQ(add("Other2"), "Other1");  // the free base is not used: its name was taken
  EXPECT_EQ(add("Other2"), "Other3");
  EXPECT_EQ(add("7"), "7");
  EXPECT_EQ(add("7"), "71");
  EXPECT_EQ(TOvcCommandTable().TableName(), "(Unknown)");
  // Every name differs from every other, ignoring case.
  for (int i = 0; i < p.Count(); ++i)
    for (int j = i + 1; j < p.Count(); ++j)
      EXPECT_FALSE(SameText(p.Table(i)->TableName(), p.Table(j)->TableName()));
}

// --- storage --------------------------------------------------------------------------

// Writes one table's stream form and decodes it into pairs.
std::vector<std::pair<uint32_t, int>> DifferenceList(const TOvcCommandTable& t) {
  TMemoryStream ms;
  {
    TWriter w(&ms);
    t.WriteCommands(&w);
  }
  ms.SetPosition(0);
  TReader r(&ms);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadString(), t.TableName());
  EXPECT_EQ(r.ReadBoolean(), t.Active());
  std::vector<std::pair<uint32_t, int>> pairs;
  r.ReadListBegin();
  while (!r.EndOfList()) {
    uint32_t k = static_cast<uint32_t>(r.ReadInteger());
    pairs.emplace_back(k, r.ReadInteger());
  }
  return pairs;
}

TEST(CommandStorage, DifferenceFromTheBuiltInTable) {
  TOvcCommandProcessor p;
  TOvcCommandTable* def = p.GetCommandTable("Default");
  EXPECT_TRUE(DifferenceList(*def).empty());
  def->DeleteCommand(def->IndexOfKeys({'Z', C, 0, 0, 0}));
  def->AddCommandRec({'Y', C, 0, 0, ccRedo});
  auto pairs = DifferenceList(*def);
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0], std::make_pair(uint32_t('Z' | C << 8), 0));
  EXPECT_EQ(pairs[1], std::make_pair(uint32_t('Y' | C << 8), int(ccRedo)));
  // A table of another name lists every record.
  TOvcCommandTable other;
  other.SetTableName("Keys");
  other.AddCommandRec({'Q', C, 'W', 128, 500});
  auto all = DifferenceList(other);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0], std::make_pair(uint32_t('Q' | C << 8 | 'W' << 16 | 128u << 24), 500));
}

// A component that publishes a processor, as the controller does.
class THolder : public TComponent {
 public:
  using TComponent::TComponent;
  TOvcCommandProcessor Commands;
  void PublishProperties(TPropertyList& P) override {
    TComponent::PublishProperties(P);
    P.Object("EntryCommands", [this] { return &Commands; });
  }
};

std::string Canonical(TOvcCommandProcessor& p) {
  std::string s;
  for (int i = 0; i < p.Count(); ++i) {
    TOvcCommandTable* t = p.Table(i);
    s += t->TableName() + (t->Active() ? "+" : "-") + "\n";
    for (const auto& [k, c] : DifferenceList(*t)) s += std::to_string(k) + ":" + std::to_string(c) + " ";
    s += "\n";
  }
  return s;
}

// Random edits of the built-in tables and a table of the user's, stored through the
// component stream and read into a fresh processor: the same bindings come back, and a
// second round writes the same stream.
TEST(CommandStorage, RandomTablesRoundTripThroughTheComponentStream) {
  std::mt19937 rng(7);
  for (int round = 0; round < 30; ++round) {
    THolder src(nullptr);
    TOvcCommandProcessor& p = src.Commands;
    p.CreateCommandTable("User", round % 2 == 0);
    for (int edit = 0; edit < 40; ++edit) {
      TOvcCommandTable* t = p.Table(static_cast<int>(rng() % 4));
      int what = static_cast<int>(rng() % 3);
      if (what == 0 && t->Count() > 0) {
        t->DeleteCommand(static_cast<int>(rng() % t->Count()));
      } else if (what == 1 && t->Count() > 0) {
        int i = static_cast<int>(rng() % t->Count());
        TOvcCmdRec r = t->GetCommandRec(i);
        r.Cmd = static_cast<uint16_t>(rng() % 600);
        t->PutCommandRec(i, r);
      } else {
        TOvcCmdRec r{uint8_t(rng() % 256), uint8_t((rng() % 8) * 2), 0, 0, uint16_t(1 + rng() % 600)};
        if (rng() % 3 == 0) {
          r.Key2 = uint8_t(1 + rng() % 255);
          r.ShiftState2 = rng() % 2 ? 128 : 0;
        }
        if (t->IndexOfKeys(r) < 0) p.AddCommandRec(t->TableName(), r);
      }
    }
    TMemoryStream ms;
    WriteComponent(&ms, &src);
    THolder dst(nullptr);
    dst.Commands.CreateCommandTable("Leftover", true);  // reading replaces every table
    ms.SetPosition(0);
    ReadComponent(&ms, &dst);
    ASSERT_EQ(Canonical(dst.Commands), Canonical(p)) << "round " << round;
    // The same keys give the same commands.
    for (int k = 0; k < 300; ++k) {
      uint16_t key = static_cast<uint16_t>(rng() % 256);
      uint8_t shift = static_cast<uint8_t>((rng() % 8) * 2);
      ASSERT_EQ(dst.Commands.TranslateKey(key, shift), p.TranslateKey(key, shift));
    }
  }
}

TEST(CommandStorage, UnchangedProcessorStoresOnlyNames) {
  THolder src(nullptr);
  TMemoryStream ms;
  WriteComponent(&ms, &src);
  ms.SetPosition(0);
  std::string dump = ObjectBinaryToText(&ms);
  EXPECT_NE(dump.find("EntryCommands.TableList"), std::string::npos) << dump;
  THolder dst(nullptr);
  ms.SetPosition(0);
  ReadComponent(&ms, &dst);
  ASSERT_EQ(dst.Commands.Count(), 3);
  EXPECT_EQ(dst.Commands.Table(0)->Count(), 64);
  EXPECT_EQ(dst.Commands.Table(2)->TableName(), "Grid");
  EXPECT_FALSE(dst.Commands.Table(2)->Active());
}

TEST(CommandStorage, TextFileRoundTrip) {
  TOvcCommandProcessor p;
  TOvcCommandTable* ws = p.GetCommandTable("WordStar");
  ws->AddCommandRec({255, 14, 200, 128, 65535});
  std::string text = ws->SaveToText();
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "WordStar\r\n");
  EXPECT_NE(text.find("  83   4   0   0    46\r\n"), std::string::npos);  // Ctrl+S ccLeft

  auto dir = std::filesystem::temp_directory_path() / ("keytable_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  std::string file = (dir / "ws.txt").string();
  p.SaveCommandTable("wordstar", file);
  int at = p.LoadCommandTable(file);
  TOvcCommandTable* copy = p.Table(at);
  EXPECT_EQ(copy->TableName(), "WordStar1");
  EXPECT_EQ(copy->Commands(), ws->Commands());

  // Loading keeps Active; blank lines and LF-only files are fine; a bad line stops the
  // load with what was read before it.
  TOvcCommandTable t;
  t.SetActive(false);
  t.LoadFromText("Mine\n 65 4 0 0 6\n\n66 4 0 0 8\n");
  EXPECT_FALSE(t.Active());
  EXPECT_EQ(t.TableName(), "Mine");
  EXPECT_EQ(t.Count(), 2);
  EXPECT_THROW(t.LoadFromText("X\n1 2 3 4 5\n1 2 3 4\n"), EInOutError);
  EXPECT_EQ(t.Count(), 1);
  EXPECT_THROW(t.LoadFromText("X\n1 2 3 4 5 6\n"), EInOutError);
  EXPECT_THROW(t.LoadFromText("X\n256 0 0 0 1\n"), EInOutError);
  EXPECT_THROW(t.LoadFromText("X\n1 0 0 0 -1\n"), EInOutError);
  EXPECT_THROW(t.LoadFromFile((dir / "missing.txt").string()), EStreamError);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tess
