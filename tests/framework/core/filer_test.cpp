// The component stream: a small tree through TWriter and TReader with every kind of
// property, references within and across roots, the reader's states and Loaded calls,
// unknown properties, and corrupt input of every shape.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/classes.h"
#include "tests/framework/core/filer_widgets.h"

namespace tess {
namespace {

using namespace filer_test;

class Filer : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgets();
    g_loaded_log = &loaded_;
  }
  void TearDown() override {
    g_loaded_log = nullptr;
    SetFindGlobalComponent(nullptr);
  }
  std::vector<std::string> loaded_;
};

TEST_F(Filer, TreeRoundTripsWithEveryKindOfProperty) {
  auto form = MakeTree();
  TMemoryStream ms;
  WriteComponent(&ms, form.get());
  ms.SetPosition(0);
  std::unique_ptr<TComponent> back(ReadComponent(&ms, nullptr));
  auto* root = dynamic_cast<TWidget*>(back.get());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Name(), "Form1");
  ASSERT_EQ(root->ComponentCount(), 2);
  auto* w1 = dynamic_cast<TWidget*>(root->FindComponent("W1"));
  auto* w2 = dynamic_cast<TWidget*>(root->FindComponent("W2"));
  ASSERT_TRUE(w1 && w2);
  auto* w3 = dynamic_cast<TWidget*>(w2->FindComponent("W3"));
  ASSERT_NE(w3, nullptr);
  EXPECT_EQ(w1->Caption, std::string(300, 'c'));
  EXPECT_EQ(w1->Width, -40000);
  EXPECT_EQ(w1->Big, int64_t{1} << 40);
  EXPECT_FALSE(w1->Visible);
  EXPECT_EQ(w1->Ratio, 0.1);
  EXPECT_EQ(w1->Mode, mdGreen);
  EXPECT_EQ(w1->Options, 0b101u);
  EXPECT_EQ(w1->Style.FaceName, "Fixedsys");
  EXPECT_EQ(w1->Lines.CommaText(), "\"select *\",\"from dual\"");
  EXPECT_EQ(w1->Commands, (std::vector<std::pair<int32_t, bool>>{{0x1025, true}, {-7, false}}));
  EXPECT_EQ(w1->Blob, std::string("\0\x01\xff", 3) + std::string(7, 'b'));
  EXPECT_EQ(w1->Tag(), 12);
  EXPECT_EQ(w1->Buddy(), w3);
  EXPECT_EQ(w3->Buddy(), w1);
  EXPECT_EQ(w2->Width, 100);

  // Loaded ran once per component, parents first, after the references were set, with
  // csLoading still on and csReading off; AfterLoaded once all had; nothing is left
  // loading.
  EXPECT_EQ(loaded_, (std::vector<std::string>{"Form1:loading:nil", "W1:loading:W3",
                                               "W2:loading:nil", "W3:loading:W1", "Form1:after:nil",
                                               "W1:after:W3", "W2:after:nil", "W3:after:W1"}));
  for (TComponent* c :
       {static_cast<TComponent*>(root), static_cast<TComponent*>(w1), static_cast<TComponent*>(w3)})
    EXPECT_EQ(c->ComponentState() & (csLoading | csReading | csWriting), 0u);

  // Writing the copy gives the same bytes.
  TMemoryStream again;
  WriteComponent(&again, root);
  EXPECT_EQ(again.DataString(), ms.DataString());
}

TEST_F(Filer, TextDumpShowsOnlyStoredProperties) {
  TWidget form(nullptr);
  form.SetName("Form1");
  auto* w = new TWidget(&form);
  w->SetName("W");
  w->Mode = mdRed;
  w->Options = 0b011;
  w->Style.Size = 12;
  w->Lines.SetText("a'b");
  w->Blob = "\x01\xAB";
  w->SetBuddy(&form);
  new TWidget(&form);  // unnamed, all defaults
  TMemoryStream ms;
  WriteComponent(&ms, &form);
  ms.SetPosition(0);
  EXPECT_EQ(ObjectBinaryToText(&ms),
            "object Form1: TWidget\n"
            "  object W: TWidget\n"
            "    Mode = mdRed\n"
            "    Options = [opA, opB]\n"
            "    Style.Size = 12\n"
            "    Lines.Strings = ('a''b')\n"
            "    Buddy = Form1\n"
            "    RangeHigh = {01AB}\n"
            "  end\n"
            "  object : TWidget\n"
            "  end\n"
            "end\n");
}

TEST(PropInfo, DefaultsDecideWhatIsWritten) {
  TPropertyList p;
  int32_t color = static_cast<int32_t>(0x80000008u);
  std::string text;
  p.Integer(
       "Color", [&] { return color; }, [](int32_t) {})
      .Default(0x80000008u);
  p.String(
      "Text", [&] { return text; }, [](const std::string&) {});
  p.String(
       "Named", [&] { return text; }, [](const std::string&) {})
      .Default("x");
  p.Float(
      "Ratio", [] { return 0.0; }, [](double) {});
  p.Component(
      "Ref", [] { return nullptr; }, [](TComponent*) {});
  p.Integer(
       "Hidden", [] { return 5; }, [](int32_t) {})
      .Stored(false);
  EXPECT_FALSE(p.Find("color")->ShouldWrite());  // unsigned default, same 32 bits
  EXPECT_FALSE(p.Find("Text")->ShouldWrite());   // "" is a string's default
  EXPECT_TRUE(p.Find("Named")->ShouldWrite());   // "" differs from the declared "x"
  EXPECT_TRUE(p.Find("Ratio")->ShouldWrite());   // no declared default: always
  EXPECT_FALSE(p.Find("Ref")->ShouldWrite());
  EXPECT_FALSE(p.Find("Hidden")->ShouldWrite());
  text = "x";
  EXPECT_FALSE(p.Find("Named")->ShouldWrite());
  // A descendant redefining a property replaces it in its place.
  p.Integer(
      "TEXT", [] { return 1; }, [](int32_t) {});
  EXPECT_EQ(p.Count(), 6);
  EXPECT_EQ(p[1].Kind, TPropKind::Integer);
}

TEST_F(Filer, ReadingIntoAnExistingRootReusesItsComponents) {
  TPanelish source(nullptr);
  source.SetName("P");
  source.inner->Caption = "from stream";
  auto* extra = new TWidget(&source);
  extra->SetName("Extra");
  TMemoryStream ms;
  WriteComponent(&ms, &source);

  TPanelish target(nullptr);
  target.SetName("P_1");  // a second copy keeps its own name
  ms.SetPosition(0);
  EXPECT_EQ(ReadComponent(&ms, &target), &target);
  EXPECT_EQ(target.Name(), "P_1");
  ASSERT_EQ(target.ComponentCount(), 2);
  EXPECT_EQ(target.Components(0), target.inner);
  EXPECT_EQ(target.inner->Caption, "from stream");
  EXPECT_NE(target.FindComponent("Extra"), nullptr);
}

TEST_F(Filer, ReferencesToOtherRootsWaitForThem) {
  auto form1 = MakeTree();
  TWidget form2(nullptr);
  form2.SetName("Form2");
  auto* user = new TWidget(&form2);
  user->SetName("User");
  user->SetBuddy(static_cast<TWidget*>(form1->FindComponent("W1")));
  TMemoryStream ms2, ms1;
  WriteComponent(&ms2, &form2);
  WriteComponent(&ms1, form1.get());
  form1.reset();
  EXPECT_EQ(user->Buddy(), nullptr);  // cleared by free notification

  // Form2 first: Form1 does not exist yet, so the reference waits.
  TComponent* live_form1 = nullptr;
  SetFindGlobalComponent([&](const std::string& Name) -> TComponent* {
    return live_form1 && SameText(Name, live_form1->Name()) ? live_form1 : nullptr;
  });
  ms2.SetPosition(0);
  std::unique_ptr<TComponent> copy2(ReadComponent(&ms2, nullptr));
  auto* user2 = static_cast<TWidget*>(copy2->FindComponent("User"));
  EXPECT_EQ(user2->Buddy(), nullptr);
  EXPECT_TRUE(loaded_.back() == "User:after:nil");

  ms1.SetPosition(0);
  std::unique_ptr<TComponent> copy1(ReadComponent(&ms1, nullptr));
  live_form1 = copy1.get();
  GlobalFixupReferences();
  EXPECT_EQ(user2->Buddy(), copy1->FindComponent("W1"));

  // A waiting reference goes with its component.
  ms2.SetPosition(0);
  live_form1 = nullptr;
  std::unique_ptr<TComponent> copy3(ReadComponent(&ms2, nullptr));
  copy3.reset();
  live_form1 = copy1.get();
  GlobalFixupReferences();  // must not touch the deleted copy
}

// Writes a hand-made stream: one TWidget with the given property bytes.
std::string HandMade(const std::function<void(TWriter&)>& props) {
  TMemoryStream ms;
  TWriter w(&ms);
  w.WriteSignature();
  w.WriteStr("TWidget");
  w.WriteStr("W");
  props(w);
  w.WriteStr("");
  w.WriteStr("");
  return ms.DataString();
}

TEST_F(Filer, UnknownPropertiesRaiseOrAreSkipped) {
  const std::string data = HandMade([](TWriter& w) {
    w.WriteStr("Bogus");
    w.WriteListBegin();
    w.WriteListBegin();
    w.WriteString("nested");
    w.WriteListEnd();
    w.WriteBinary([](TStream* s) { s->WriteBuffer("xyz", 3); });
    w.WriteListEnd();
    w.WriteStr("Style.Nope");
    w.WriteInteger(1);
    w.WriteStr("Caption");
    w.WriteString("kept");
  });
  TMemoryStream ms;
  ms.SetDataString(data);
  TWidget w(nullptr);
  try {
    ReadComponent(&ms, &w);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Error reading W.Bogus: Property Bogus does not exist");
  }
  EXPECT_EQ(w.ComponentState() & (csLoading | csReading), 0u);

  std::vector<std::string> errors;
  ms.SetPosition(0);
  TReader reader(&ms);
  reader.OnError = [&](TReader*, const std::string& Message, bool& Handled) {
    errors.push_back(Message);
    Handled = true;
  };
  reader.ReadRootComponent(&w);
  EXPECT_EQ(w.Caption, "kept");
  EXPECT_EQ(errors,
            (std::vector<std::string>{"Error reading W.Bogus: Property Bogus does not exist",
                                      "Error reading W.Style.Nope: Property Nope does not exist"}));
}

TEST_F(Filer, WrongValueTypesAndUnknownClassesRaise) {
  struct Case {
    std::function<void(TWriter&)> props;
    const char* message;
  } cases[] = {
      {[](TWriter& w) {
         w.WriteStr("Width");
         w.WriteString("x");
       },
       "Error reading W.Width: Invalid property value"},
      {[](TWriter& w) {
         w.WriteStr("Width");
         w.WriteInt64(int64_t{1} << 33);
       },
       "Error reading W.Width: Integer value out of range"},
      {[](TWriter& w) {
         w.WriteStr("Mode");
         w.WriteIdent("mdBlue");
       },
       "Error reading W.Mode: Invalid property value mdBlue"},
      {[](TWriter& w) {
         w.WriteStr("Style");
         w.WriteInteger(1);
       },
       "Error reading W.Style: Invalid property value"},
      {[](TWriter& w) {
         w.WriteStr("Visible");
         w.WriteInteger(1);
       },
       "Error reading W.Visible: Invalid property value"},
      {[](TWriter& w) {
         w.WriteStr("Mode");
         w.WriteInteger(3);
       },
       "Error reading W.Mode: Integer value out of range"},
  };
  for (const auto& c : cases) {
    TMemoryStream ms;
    ms.SetDataString(HandMade(c.props));
    TWidget w(nullptr);
    try {
      ReadComponent(&ms, &w);
      ADD_FAILURE() << c.message;
    } catch (const EReadError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  TMemoryStream ms;
  TWriter w(&ms);
  w.WriteSignature();
  w.WriteStr("TNoSuchClass");
  w.WriteStr("X");
  ms.SetPosition(0);
  try {
    ReadComponent(&ms, nullptr);
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNoSuchClass not found");
  }

  // Names come from the stream too: one no component may have is a reading error, and
  // what the read made (the root and its first child) is gone again.
  TMemoryStream bad;
  TWriter bw(&bad);
  bw.WriteSignature();
  for (const char* name : {"Root", "C", "2bad"}) {
    bw.WriteStr("TWidget");
    bw.WriteStr(name);
    bw.WriteStr("");  // no properties
    if (std::string(name) == "Root") continue;  // children follow
    bw.WriteStr("");  // no children
  }
  bw.WriteStr("");
  bad.SetPosition(0);
  try {
    std::unique_ptr<TComponent> root(ReadComponent(&bad, nullptr));
    ADD_FAILURE() << "a bad name was read";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Cannot read TWidget 2bad: '2bad' is not a valid component name");
  }
}

TEST_F(Filer, IntegersTakeTheSmallestEncoding) {
  const std::pair<int64_t, int> cases[] = {
      {0, 2},         {-128, 2},  {127, 2},       {128, 3},       {-129, 3},
      {32767, 3},     {40000, 5}, {INT32_MIN, 5}, {INT32_MAX, 5}, {int64_t{1} << 32, 9},
      {INT64_MIN, 9},
  };
  for (auto [value, bytes] : cases) {
    TMemoryStream ms;
    TWriter w(&ms);
    w.WriteInt64(value);
    EXPECT_EQ(ms.Size(), bytes) << value;
    ms.SetPosition(0);
    TReader r(&ms);
    EXPECT_EQ(r.ReadInt64(), value);
    ms.SetPosition(0);
    if (value >= INT32_MIN && value <= INT32_MAX) {
      EXPECT_EQ(r.ReadInteger(), value);
    } else {
      EXPECT_THROW(r.ReadInteger(), EReadError);
    }
  }
}

// A list of components stored as one binary property: a count, then each item written
// as a component of its own.
class TItemList : public TComponent {
 public:
  using TComponent::TComponent;
  ~TItemList() override { Clear(); }
  std::vector<TWidget*> Items;
  void Clear() {
    for (auto it = Items.rbegin(); it != Items.rend(); ++it) delete *it;
    Items.clear();
  }
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "D",
        [this](TStream* S) {
          Clear();
          int32_t count = 0;
          S->ReadBuffer(&count, 4);
          for (int32_t i = 0; i < count; ++i) {
            Items.push_back(new TWidget(nullptr));
            ReadComponent(S, Items.back());
          }
        },
        [this](TStream* S) {
          int32_t count = static_cast<int32_t>(Items.size());
          S->WriteBuffer(&count, 4);
          for (TWidget* w : Items) WriteComponent(S, w);
        },
        true);
  }
};

TEST_F(Filer, ComponentsInsideABinaryProperty) {
  TItemList list(nullptr);
  list.SetName("Params");
  for (const char* n : {"P1", "P2", "P3"}) {
    list.Items.push_back(new TWidget(nullptr));
    list.Items.back()->SetName(n);
    list.Items.back()->Caption = std::string("value of ") + n;
  }
  TMemoryStream ms;
  WriteComponent(&ms, &list);
  TItemList back(nullptr);
  back.Items.push_back(new TWidget(nullptr));  // replaced by the read
  ms.SetPosition(0);
  ReadComponent(&ms, &back);
  ASSERT_EQ(back.Items.size(), 3u);
  EXPECT_EQ(back.Items[2]->Name(), "P3");
  EXPECT_EQ(back.Items[1]->Caption, "value of P2");
}

// Every prefix of a valid stream, and many random corruptions of it: each read either
// succeeds or raises one of our exceptions, never crashes, and leaves nothing behind
// (the sanitizers check the memory).
TEST_F(Filer, CorruptStreamsRaiseAndLeakNothing) {
  auto form = MakeTree();
  // A made component whose own part is read into: undoing the read deletes both.
  auto* panel = new TPanelish(form.get());
  panel->SetName("Panel");
  panel->inner->Caption = "inner";
  TMemoryStream ms;
  WriteComponent(&ms, form.get());
  const std::string good = ms.DataString();

  for (size_t len = 0; len < good.size(); ++len) {
    TMemoryStream cut;
    cut.SetDataString(good.substr(0, len));
    EXPECT_THROW(ReadComponent(&cut, nullptr), EReadError) << "prefix " << len;
    cut.SetPosition(0);
    EXPECT_THROW(ObjectBinaryToText(&cut), EReadError) << "prefix " << len;
  }

  std::mt19937 rng(99);
  int failures = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string bad = good;
    for (int k = 1 + static_cast<int>(rng() % 3); k > 0; --k)
      bad[rng() % bad.size()] = static_cast<char>(rng() % 256);
    TMemoryStream m;
    m.SetDataString(bad);
    try {
      std::unique_ptr<TComponent> c(ReadComponent(&m, nullptr));
    } catch (const Exception&) {
      ++failures;
    }
    m.SetPosition(0);
    try {
      ObjectBinaryToText(&m);
    } catch (const EReadError&) {
    }
  }
  EXPECT_GT(failures, 0);
}

// Children come back into their parents; a stream that puts a parent inside its own
// child (a container named like its ancestor) is a reading error, and what the read
// made goes.
TEST_F(Filer, AParentInsideItsOwnChildIsAReadingError) {
  auto form = MakeContainers();
  TMemoryStream ms;
  WriteComponent(&ms, form.get());
  ms.SetPosition(0);
  std::unique_ptr<TComponent> copy(ReadComponent(&ms, nullptr));
  auto* p3 = dynamic_cast<TContainer*>(copy->FindComponent("P3"));
  ASSERT_NE(p3, nullptr);
  ASSERT_NE(p3->Parent(), nullptr);
  EXPECT_EQ(p3->Parent()->Name(), "P2");
  EXPECT_EQ(static_cast<TContainer*>(copy.get())->Notice(), 4);

  std::string bad = ms.DataString();
  bad[bad.rfind("P3") + 1] = '1';  // F { P1 { P2 { P1 } } }
  TMemoryStream loop;
  loop.SetDataString(bad);
  EXPECT_THROW(ReadComponent(&loop, nullptr), EReadError);
  loop.SetPosition(0);
  TContainer into(nullptr);
  EXPECT_THROW(ReadComponent(&loop, &into), EReadError);
  EXPECT_EQ(into.ComponentCount(), 0);
}

// A Loaded that fails after the reader made the root: the error comes out and the tree
// the reader made goes with it.
int g_alive = 0;
class TCountedWidget : public TWidget {
 public:
  explicit TCountedWidget(TComponent* AOwner) : TWidget(AOwner) { ++g_alive; }
  ~TCountedWidget() override { --g_alive; }
  void Loaded() override {
    TWidget::Loaded();
    if (Caption == "fail") throw EComponentError("cannot finish loading");
  }
};

TEST_F(Filer, AFailingLoadedLeavesNothingTheReaderMade) {
  RegisterComponentClass<TCountedWidget>("TCountedWidget");
  TMemoryStream ms;
  {
    TCountedWidget form(nullptr);
    form.SetName("Form1");
    auto* a = new TCountedWidget(&form);
    a->SetName("A");
    a->Caption = "fail";
    auto* b = new TCountedWidget(&form);
    b->SetName("B");
    WriteComponent(&ms, &form);
  }
  ASSERT_EQ(g_alive, 0);
  ms.SetPosition(0);
  EXPECT_THROW(ReadComponent(&ms, nullptr), EComponentError);
  EXPECT_EQ(g_alive, 0);
  // Read into a root the caller has: the caller keeps the root and what it now owns.
  ms.SetPosition(0);
  {
    TCountedWidget into(nullptr);
    EXPECT_THROW(ReadComponent(&ms, &into), EComponentError);
    EXPECT_EQ(into.ComponentCount(), 2);
  }
  EXPECT_EQ(g_alive, 0);
}

TEST_F(Filer, HugeLengthsAndDeepNestingAreRefused) {
  // A long string and a binary value claiming 4 GB in a stream of a few bytes.
  for (TValueType t : {TValueType::vaLString, TValueType::vaBinary}) {
    TMemoryStream ms;
    ms.SetDataString(std::string(1, static_cast<char>(t)) + "\xF0\xFF\xFF\xFF" + "abc");
    TReader r(&ms);
    if (t == TValueType::vaLString) {
      EXPECT_THROW(r.ReadString(), EReadError);
    } else {
      EXPECT_THROW(r.ReadBinary(), EReadError);
    }
    ms.SetPosition(0);
    EXPECT_THROW(r.SkipValue(), EReadError);
  }
  // Lists nested far deeper than any real property: skipped, they are refused.
  std::string deep = HandMade([](TWriter& w) {
    w.WriteStr("Bogus");
    for (int i = 0; i < 100000; ++i) w.WriteListBegin();
  });
  TMemoryStream ms;
  ms.SetDataString(deep);
  TReader r(&ms);
  r.OnError = [](TReader*, const std::string&, bool& Handled) { Handled = true; };
  TWidget w(nullptr);
  try {
    r.ReadRootComponent(&w);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream nesting too deep");
  }
  // Components nested as deep.
  TMemoryStream nested;
  TWriter nw(&nested);
  nw.WriteSignature();
  for (int i = 0; i < 100000; ++i) {
    nw.WriteStr("TWidget");
    nw.WriteStr("");
    nw.WriteStr("");
  }
  nested.SetPosition(0);
  EXPECT_THROW(ReadComponent(&nested, nullptr), EReadError);
  nested.SetPosition(0);
  EXPECT_THROW(ObjectBinaryToText(&nested), EReadError);
}

}  // namespace
}  // namespace tess
