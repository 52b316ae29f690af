// The windows build's side of the editing core, through real windows under Wine: the
// string resources, the keyboard, the pool's window timer, carets, the controller and
// the control base.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/core/carets.h"
#include "components/core/componentstrings.h"
#include "components/core/controller.h"
#include "components/core/exceptions.h"
#include "components/core/keyboard.h"
#include "components/core/timerwindow.h"
#include "framework/win/dialogs.h"
#include "framework/win/extctrls.h"
#include "framework/win/resstr.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;
using testing::PumpUntil;
using testing::SetKeyDown;

// A control of the library that records its events.
class TProbe : public TOvcBase {
 public:
  explicit TProbe(TComponent* AOwner) : TOvcBase(AOwner) {
    SetTabStop(true);
    SetBounds(10, 10, 100, 24);
  }
};

TEST(ComponentStrings, ResourcesHoldTheSameTexts) {
  int found = 0;
  for (int id = 33700; id < 34500; ++id) {
    EXPECT_EQ(LoadStr(id), ComponentString(static_cast<uint16_t>(id))) << id;
    found += !ComponentString(static_cast<uint16_t>(id)).empty();
  }
  EXPECT_GT(found, 120);
}

TEST(Keyboard, ShiftFlagsAndTranslation) {
  EXPECT_EQ(GetShiftFlags(), 0);
  SetKeyDown(VK_CONTROL, true);
  SetKeyDown(VK_SHIFT, true);
  EXPECT_EQ(GetShiftFlags(), kShiftFlagCtrl | kShiftFlagShift);
  TOvcCommandProcessor p;
  TMessage m{WM_KEYDOWN, 'Z', 0, 0};
  EXPECT_EQ(p.Translate(m), ccRedo);
  EXPECT_EQ(p.TranslateUsingTables({"Grid"}, m), ccUnmatched);
  SetKeyDown(VK_SHIFT, false);
  EXPECT_EQ(p.TranslateUsingTables({"Grid"}, m), ccRestore);
  SetKeyDown(VK_CONTROL, false);
  EXPECT_EQ(p.TranslateKey(VK_LEFT, TShiftState{TShiftFlag::ssCtrl, TShiftFlag::ssShift}),
            ccExtWordLeft);
  EXPECT_EQ(ShiftFlagsOf({TShiftFlag::ssAlt}), kShiftFlagAlt);
  EXPECT_TRUE(GetLeftButton() == VK_LBUTTON || GetLeftButton() == VK_RBUTTON);

  // A field high enough for its font: the text sits 1 pixel down inside a border, at
  // the top without one; a field lower than its font gets a negative margin.
  TFont font;
  font.SetSize(8);
  EXPECT_EQ(GetTopTextMargin(&font, TBorderStyle::bsSingle, 40, true), 1);
  EXPECT_EQ(GetTopTextMargin(&font, TBorderStyle::bsNone, 40, true), 0);
  EXPECT_LT(GetTopTextMargin(&font, TBorderStyle::bsSingle, 6, true), 0);
}

TEST(TimerWindow, FiresThroughTheMessageLoop) {
  TOvcTimerPool pool(nullptr);
  pool.SetDriver(MakeWindowTimerDriver(&pool));
  int fired = 0;
  int32_t h = pool.AddTrigger([&](TObject*, int32_t, uint16_t, int32_t) { ++fired; }, 60);
  EXPECT_EQ(pool.TimerInterval(), 60);
  EXPECT_TRUE(PumpUntil([&] { return fired >= 2; }, 20000));
  pool.Remove(h);
  EXPECT_EQ(pool.TimerInterval(), 0);
}

// --- carets ----------------------------------------------------------------------------

class CaretTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    new TOvcController(form);
    probe = new TProbe(form);
    probe->SetParent(form);
    ShowForm();
    probe->SetFocus();
    Pump();
  }
  TPoint SystemCaretPos() {
    POINT p{};
    GetCaretPos(&p);
    return {p.x, p.y};
  }
  TProbe* probe = nullptr;
};

TEST_F(CaretTest, ShapesAndPlaces) {
  TOvcCaretPair pair(probe);
  EXPECT_TRUE(pair.InsertMode());
  EXPECT_EQ(pair.Caret(), pair.InsCaret());
  EXPECT_EQ(pair.OvrCaret()->Shape(), TOvcCaretShape::csBlock);
  pair.SetCellHeight(15);
  pair.SetCellWidth(8);
  EXPECT_EQ(pair.Caret()->CaretHeight(), 15);  // a vertical line fills the cell's height
  EXPECT_EQ(pair.Caret()->CaretWidth(), 2);
  pair.Caret()->SetCaretWidth(0);
  EXPECT_EQ(pair.Caret()->CaretWidth(), 2);

  pair.OvrCaret()->SetShape(TOvcCaretShape::csHalfBlock);
  pair.SetInsertMode(false);
  EXPECT_EQ(pair.Caret(), pair.OvrCaret());
  EXPECT_EQ(pair.Caret()->CaretHeight(), 7);
  EXPECT_EQ(pair.Caret()->CaretWidth(), 8);
  EXPECT_EQ(pair.Caret()->Align(), TOvcCaretAlign::caBottom);
  EXPECT_EQ(pair.Offset(), (TPoint{0, 8}));

  pair.SetPosition({20, 30});
  pair.SetLinked(true);
  ASSERT_TRUE(pair.Linked());
  pair.SetVisible(true);
  EXPECT_EQ(SystemCaretPos(), (TPoint{20, 38}));
  // A change of the look makes the caret again, in the same place.
  pair.Caret()->SetAlign(TOvcCaretAlign::caCenter);
  EXPECT_EQ(pair.Offset(), (TPoint{0, 4}));
  EXPECT_EQ(SystemCaretPos(), (TPoint{20, 34}));
  pair.SetPosition({-1, 5});
  EXPECT_EQ(pair.Position().X, kCaretOutside);
  EXPECT_EQ(SystemCaretPos().X, kCaretOutside);
  pair.SetLinked(false);
  EXPECT_FALSE(pair.Linked());

  // Shared carets: the pair keeps its caret alive as long as it uses it.
  auto mine = std::make_shared<TOvcCaret>();
  mine->SetShape(TOvcCaretShape::csHorzLine);
  pair.SetOvrCaret(mine);
  EXPECT_EQ(pair.Caret(), mine.get());
  EXPECT_EQ(mine->CaretWidth(), 8);
  EXPECT_EQ(mine->CaretHeight(), 2);
  EXPECT_EQ(mine.use_count(), 3);  // here, the pair's field and the caret in use
}

TEST_F(CaretTest, BitmapCaretTakesItsSizeAndHotSpot) {
  TBitmap image(6, 12);
  TOvcSingleCaret caret(probe);
  caret.Caret()->SetBitmap(&image);
  caret.Caret()->SetShape(TOvcCaretShape::csBitmap);
  EXPECT_EQ(caret.Caret()->CaretWidth(), 6);
  EXPECT_EQ(caret.Caret()->CaretHeight(), 12);
  caret.Caret()->SetBitmapHotSpotX(2);
  caret.Caret()->SetBitmapHotSpotY(3);
  // Left-aligned in a 10 x 10 cell, (10 - 12) / 2 = -1 down, less the hot spot.
  EXPECT_EQ(caret.Offset(), (TPoint{-2, -4}));
  caret.SetPosition({10, 10});
  caret.SetLinked(true);
  EXPECT_EQ(SystemCaretPos(), (TPoint{8, 6}));
  caret.SetLinked(false);
}

TEST_F(CaretTest, BlinkTimeKeptWhileLinkedAndRestored) {
  const UINT user = GetCaretBlinkTime();
  const uint16_t own = user == 250 ? 300 : 250;
  {
    TOvcSingleCaret caret(probe);
    caret.SetLinked(true);
    EXPECT_EQ(GetCaretBlinkTime(), user);  // BlinkTime 0: the system's
    caret.SetLinked(false);
    caret.Caret()->SetBlinkTime(own);
    caret.SetLinked(true);
    EXPECT_EQ(GetCaretBlinkTime(), own);
    caret.Caret()->SetIsGray(true);  // made again: still its own blink time
    EXPECT_EQ(GetCaretBlinkTime(), own);
    caret.SetLinked(false);
    EXPECT_EQ(GetCaretBlinkTime(), user);
    caret.SetLinked(true);
  }  // destroyed while linked
  EXPECT_EQ(GetCaretBlinkTime(), user);
  // Without a window there is nothing to link.
  TProbe loose(nullptr);
  TOvcSingleCaret caret(&loose);
  caret.SetLinked(true);
  EXPECT_FALSE(caret.Linked());
}

// --- controller -------------------------------------------------------------------------

TEST_F(FormTest, ControllerFoundFromNestedControls) {
  // Two controllers made before the control: it takes the first on the form.
  auto* first = new TOvcController(form);
  new TOvcController(form);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* inner = new TPanel(form);
  inner->SetParent(panel);
  auto* probe = new TProbe(form);
  probe->SetParent(inner);
  EXPECT_FALSE(probe->ControllerAssigned());
  probe->HandleNeeded();
  EXPECT_EQ(probe->Controller(), first);
  // Freeing the controller leaves the control without one.
  delete first;
  EXPECT_EQ(probe->Controller(), nullptr);
}

TEST_F(FormTest, NoControllerOnTheForm) {
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  EXPECT_THROW(probe->HandleNeeded(), ENoControllerAssigned);
  // One placed later is taken when it is inserted into the form.
  auto* c = new TOvcController(form);
  EXPECT_EQ(probe->Controller(), c);
  probe->HandleNeeded();
  EXPECT_TRUE(probe->HandleAllocated());
}

TEST_F(FormTest, ControllerProperties) {
  auto* c = new TOvcController(form);
  EXPECT_EQ(c->Epoch(), 1900);
  for (int v : {1599, 4000, 0}) c->SetEpoch(v);
  EXPECT_EQ(c->Epoch(), 1900);
  c->SetEpoch(1600);
  EXPECT_EQ(c->Epoch(), 1600);
  c->SetEpoch(3999);
  EXPECT_EQ(c->Epoch(), 3999);
  EXPECT_TRUE(c->InsertMode());
  EXPECT_FALSE(c->ErrorPending());
  EXPECT_EQ(c->EntryCommands()->Count(), 3);

  auto* cancel = new TPanel(form);
  cancel->SetParent(form);
  auto* other = new TPanel(form);
  other->SetParent(form);
  c->SetBtnCancel(cancel);
  EXPECT_TRUE(c->IsSpecialButton(cancel->Handle()));
  EXPECT_FALSE(c->IsSpecialButton(other->Handle()));
  delete cancel;
  EXPECT_EQ(c->BtnCancel(), nullptr);

  // Errors: the handler, or an error box.
  std::string shown;
  auto old = SetMessageBoxHook([&](const std::string& Text, const std::string&, uint32_t) {
    shown = Text;
    return IDOK;
  });
  c->DoError(c, 257, "Value is not valid for this field type");
  EXPECT_EQ(shown, "Value is not valid for this field type");
  uint16_t code = 0;
  c->OnError = [&](TObject*, uint16_t Code, const std::string&) { code = Code; };
  c->DoError(c, 258, "x");
  EXPECT_EQ(code, 258);
  SetMessageBoxHook(old);
}

TEST_F(FormTest, NoticesArriveLaterAndNeverForADeadSender) {
  auto* c = new TOvcController(form);
  auto* a = new TProbe(form);
  a->SetParent(form);
  auto* b = new TProbe(form);
  b->SetParent(form);
  ShowForm();
  std::vector<std::string> log;
  auto name = [&](TObject* o) { return o == a ? "a" : o == b ? "b" : o ? "?" : "nil"; };
  c->OnPreEdit = [&](TObject* s, TWinControl* w) { log.push_back(std::string("pre ") + name(s) + " " + name(w)); };
  c->OnPostEdit = [&](TObject* s, TWinControl* w) { log.push_back(std::string("post ") + name(s) + " " + name(w)); };
  c->OnDelayNotify = [&](TObject* s, uint16_t code) { log.push_back(std::string("delay ") + name(s) + " " + std::to_string(code)); };

  c->NotifyPreEdit(a, b);
  c->NotifyPostEdit(nullptr, nullptr);
  c->PostDelayNotify(b, 0x1234);
  EXPECT_TRUE(log.empty());  // posted, not sent
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"pre a b", "post nil nil", "delay b 4660"}));

  // The sender freed before the notice arrives: the notice is dropped.  A control
  // named by handle that is gone arrives as nil.
  log.clear();
  auto* doomed = new TProbe(form);
  doomed->SetParent(form);
  doomed->HandleNeeded();
  c->NotifyPreEdit(doomed, a);
  c->PostDelayNotify(doomed, 1);
  c->PostShowControl(doomed);
  c->NotifyPostEdit(a, doomed);
  delete doomed;
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"post a nil"}));

  // Show-and-focus of a live control.
  b->Hide();
  c->PostShowControl(b);
  Pump();
  EXPECT_TRUE(b->Visible());
  EXPECT_TRUE(b->Focused());
}

TEST_F(FormTest, AfterExitRunsAfterTheNextControlsEnter) {
  new TOvcController(form);
  auto* a = new TProbe(form);
  a->SetParent(form);
  auto* b = new TProbe(form);
  b->SetParent(form);
  b->SetTop(50);
  ShowForm();
  a->SetFocus();
  Pump();
  std::vector<std::string> log;
  a->AfterExit = [&](TObject*) { log.push_back("a after exit"); };
  a->OnExit = [&](TObject*) { log.push_back("a exit"); };
  b->OnEnter = [&](TObject*) { log.push_back("b enter"); };
  b->AfterEnter = [&](TObject*) { log.push_back("b after enter"); };
  b->SetFocus();
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"a exit", "b enter", "a after exit", "b after enter"}));
}

TEST_F(FormTest, ControllerForwardsTheTimerPool) {
  auto* c = new TOvcController(form);
  int fired = 0;
  c->OnTimerTrigger = [&](TObject* s, int32_t, uint16_t iv, int32_t) {
    EXPECT_EQ(s, c->TimerPool());
    EXPECT_EQ(iv, 55);
    ++fired;
  };
  c->TimerPool()->AddOneTimeTrigger(nullptr, 55);
  EXPECT_TRUE(PumpUntil([&] { return fired == 1; }, 20000));
  EXPECT_EQ(c->TimerPool()->Count(), 0);
}

}  // namespace
}  // namespace tess
