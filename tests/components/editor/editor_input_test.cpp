// The editor control's input, events and published properties under Wine, through real
// messages: keys and characters with their events in order, double click, the wheel, the
// drag with its auto-scroll timer (driven by sending the timer message), capture loss,
// the editor destroyed by an event during a drag, mouse activation, focus and insert
// mode, the stream round trip of every property, and files through the control.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "components/editor/editor.h"
#include "components/core/exceptions.h"
#include "framework/core/filer.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;
using testing::SetKeyDown;

class EditorInputTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    RegisterEditorClasses();
    ctl = new TOvcController(form);
    ed = Make(form, 0);
    ShowForm();
    ed->SetFocus();
    Pump();
  }
  TyTextFileEditor* Make(TForm* F, int Left) {
    auto* e = new TyTextFileEditor(F);
    e->SetParent(F);
    e->SetBounds(Left, 0, 300, 160);
    return e;
  }
  HWND Wnd() { return static_cast<HWND>(ed->Handle()); }
  LRESULT Send(UINT Msg, WPARAM W = 0, LPARAM L = 0) { return SendMessageA(Wnd(), Msg, W, L); }
  void Key(WPARAM VKey) { Send(WM_KEYDOWN, VKey, 1); }
  void Type(const std::string& S) {
    for (char c : S) Send(WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  // Client coordinates of line L (1-based on screen), column C.
  LPARAM At(int C, int Row) {
    return MAKELPARAM(ed->LeftMargin() + (C - 1) * ed->CharWidth() + 1,
                      (Row - 1) * ed->RowHeight() + ed->RowHeight() / 2);
  }
  std::string Text() { return ed->Model().GetTextString(); }
  std::string Sel() { return ed->Model().GetSelText(); }
  void Lines(int N) {
    std::string t;
    for (int i = 1; i <= N; ++i) t += "line " + std::to_string(i) + "\r\n";
    ed->Model().SetText(t.c_str());
  }

  TOvcController* ctl = nullptr;
  TyTextFileEditor* ed = nullptr;
};

TEST_F(EditorInputTest, KeyEventsCommandsAndChangeInOrder) {
  std::vector<std::string> log;
  ed->OnKeyDown = [&](TObject*, uint16_t& K, TShiftState) {
    log.push_back("down " + std::to_string(K));
    if (K == VK_F2) K = 0;  // taken by the handler: no command runs
  };
  ed->OnKeyPress = [&](TObject*, char& C) { log.push_back(std::string("press ") + C); };
  ed->OnChange = [&](TObject* S) {
    EXPECT_EQ(S, ed);
    log.push_back("change");
  };
  Type("ab");
  Key(VK_LEFT);  // a caret move changes nothing
  Key(VK_BACK);
  EXPECT_EQ(Text(), "b\r\n");
  EXPECT_EQ(log, (std::vector<std::string>{"press a", "change", "press b", "change", "down 37",
                                           "down 8", "change"}));
  log.clear();
  ed->OnKeyPress = [&](TObject*, char& C) {
    if (C == 'x') C = 0;
  };
  Type("xy");
  EXPECT_EQ(Text(), "yb\r\n");
  Key(VK_F2);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "down 113"}));

  // A user command through Alt and a table binding of our own.
  ctl->EntryCommands()->AddCommandRec(DefaultTableName(), {'U', kShiftFlagAlt, 0, 0, ccUserFirst + 5});
  std::vector<uint16_t> user;
  ed->OnUserCommand = [&](TObject* S, uint16_t C) {
    EXPECT_EQ(S, ed);
    user.push_back(C);
  };
  SetKeyDown(VK_MENU, true);
  Send(WM_SYSKEYDOWN, 'U', 1 << 29);
  SetKeyDown(VK_MENU, false);
  EXPECT_EQ(user, std::vector<uint16_t>{ccUserFirst + 5});
}

TEST_F(EditorInputTest, DialogCodesReadOnlyAndInsertModeSharedByTheController) {
  auto code = [&](WPARAM K) { return Send(WM_GETDLGCODE, K, 0); };
  EXPECT_FALSE(code(VK_TAB) & (DLGC_WANTTAB | DLGC_WANTALLKEYS));
  EXPECT_TRUE(code(VK_RETURN) & DLGC_WANTALLKEYS);
  EXPECT_TRUE(code('A') & DLGC_WANTCHARS);
  ed->SetWantTab(true);
  ed->SetWantEnter(false);
  EXPECT_TRUE(code(VK_TAB) & DLGC_WANTTAB);
  EXPECT_FALSE(code(VK_RETURN) & DLGC_WANTALLKEYS);
  Key(VK_TAB);
  EXPECT_EQ(Text(), "\t\r\n");

  ed->Model().SetText("abc");
  ed->Model().SetCaretPosition(1, 3);
  ed->SetReadOnly(true);
  Type("z");
  Key(VK_BACK);
  Key(VK_DELETE);
  EXPECT_EQ(Text(), "abc\r\n");
  EXPECT_EQ(ed->Model().CaretCol(), 2) << "Backspace only moves the caret";
  ed->SetReadOnly(false);

  // Insert toggles overwrite; the caret shows it and the next control inherits it.
  Key(VK_INSERT);
  EXPECT_FALSE(ed->InsertMode());
  EXPECT_FALSE(ed->Caret().InsertMode());
  Type("X");
  EXPECT_EQ(Text(), "aXc\r\n");
  auto* other = Make(form, 310);
  other->SetFocus();
  Pump();
  EXPECT_FALSE(ctl->InsertMode());
  EXPECT_FALSE(other->InsertMode());
  SendMessageA(static_cast<HWND>(other->Handle()), WM_KEYDOWN, VK_INSERT, 1);
  ed->SetFocus();
  Pump();
  EXPECT_TRUE(ed->InsertMode());

  // A pending entry error: a click neither activates nor is passed on.
  ctl->SetErrorPending(true);
  EXPECT_EQ(Send(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATEANDEAT);
  ctl->SetErrorPending(false);
  EXPECT_NE(Send(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->Handle()),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATEANDEAT);
}

TEST_F(EditorInputTest, ErrorsGoToOnErrorThenToTheController) {
  ed->SetParaLengthLimit(4);
  Type("abcd");
  std::vector<uint16_t> codes;
  ed->OnError = [&](TObject* S, uint16_t& C) {
    EXPECT_EQ(S, ed);
    codes.push_back(C);
  };
  Type("e");
  EXPECT_EQ(codes, std::vector<uint16_t>{268});
  EXPECT_EQ(Text(), "abcd\r\n");
  ed->OnError = nullptr;
  std::string message;
  ctl->OnError = [&](TObject* S, uint16_t C, const std::string& Msg) {
    EXPECT_EQ(S, ed);
    codes.push_back(C);
    message = Msg;
  };
  Type("f");
  EXPECT_EQ(codes, (std::vector<uint16_t>{268, 268}));
  EXPECT_EQ(message, "Current operation will exceed the maximum paragraph size");
  // An editor without a controller raises.
  TyCustomEditor lone(nullptr);
  lone.SetParaLengthLimit(1);
  lone.Model().ProcessCommand(kCmdChar, 'a');
  EXPECT_THROW(lone.Model().ProcessCommand(kCmdChar, 'b'), EEditorError);
}

TEST_F(EditorInputTest, DoubleClickSelectsWordsAndMarginSelectsLines) {
  ed->Model().SetText("select emp_no, ename\r\nfrom emp\r\nwhere 1 = 1");
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(10, 1));
  Send(WM_LBUTTONUP, 0, At(10, 1));
  EXPECT_EQ(Sel(), "emp_no");
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT, At(18, 1));
  Send(WM_LBUTTONUP, 0, At(18, 1));
  EXPECT_EQ(Sel(), "emp_no, ename") << "Shift extends over the word";
  // The margin: a double click takes the paragraph, a drag whole lines.
  LPARAM margin2 = MAKELPARAM(2, ed->RowHeight() + 2);
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, margin2);
  Send(WM_LBUTTONUP, 0, margin2);
  EXPECT_EQ(Sel(), "from emp\r\n");
  Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  Send(WM_MOUSEMOVE, MK_LBUTTON, margin2);
  EXPECT_EQ(Sel(), "select emp_no, ename\r\nfrom emp\r\n");
  Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, 2 * ed->RowHeight() + 2));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(2, 2 * ed->RowHeight() + 2));
  EXPECT_EQ(Sel(), "select emp_no, ename\r\nfrom emp\r\nwhere 1 = 1");
  EXPECT_FALSE(ed->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditorInputTest, WheelScrollsByLinesAndKeepsTheRestOfANotch) {
  Lines(100);
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(ed->Model().GetTopLine(), 1 + static_cast<int32_t>(lines));
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(ed->Model().GetTopLine(), 1 + static_cast<int32_t>(lines)) << "half a notch waits";
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(ed->Model().GetTopLine(), 1 + 2 * static_cast<int32_t>(lines));
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(5 * WHEEL_DELTA)), 0);
  EXPECT_EQ(ed->Model().GetTopLine(), 1);
  EXPECT_EQ(ed->Model().CaretLine(), 1) << "the caret stays where it was";
}

TEST_F(EditorInputTest, AutoScrollWhileDraggingBelowAndCaptureLossEndsIt) {
  Lines(100);
  const int rows = ed->Model().GetVisibleRows();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(1, 1));
  ASSERT_TRUE(ed->Dragging());
  const LPARAM below = MAKELPARAM(ed->LeftMargin() + 3, ed->ClientRect().Bottom + 20);
  Send(WM_MOUSEMOVE, MK_LBUTTON, below);
  EXPECT_TRUE(ed->AutoScrolling());
  int32_t top = ed->Model().GetTopLine();
  EXPECT_EQ(top, 2) << "the line past the view came into it";
  // Each tick of the timer takes one more line while the mouse stays below.
  Send(WM_TIMER, TOvcEditBase::kAutoScrollTimer, 0);
  Send(WM_TIMER, TOvcEditBase::kAutoScrollTimer, 0);
  EXPECT_EQ(ed->Model().GetTopLine(), top + 2);
  EXPECT_EQ(ed->Model().CaretLine(), top + 2 + rows - 1);
  EXPECT_EQ(Sel().substr(0, 6), "line 1");
  // Back inside the rows the timer stops.
  Send(WM_MOUSEMOVE, MK_LBUTTON, At(2, 2));
  EXPECT_FALSE(ed->AutoScrolling());
  Send(WM_MOUSEMOVE, MK_LBUTTON, below);
  EXPECT_TRUE(ed->AutoScrolling());
  // Another window takes the capture: drag and timer end, ticks change nothing.
  HWND other = static_cast<HWND>(form->Handle());
  SetCapture(other);
  EXPECT_FALSE(ed->Dragging());
  EXPECT_FALSE(ed->AutoScrolling());
  top = ed->Model().GetTopLine();
  Send(WM_TIMER, TOvcEditBase::kAutoScrollTimer, 0);
  Send(WM_MOUSEMOVE, MK_LBUTTON, below);
  EXPECT_EQ(ed->Model().GetTopLine(), top);
  ReleaseCapture();
  // Above the view the drag scrolls back up; button-up ends it.
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(1, 1));
  Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ed->LeftMargin() + 3, -30));
  EXPECT_EQ(ed->Model().GetTopLine(), top - 1);
  Send(WM_LBUTTONUP, 0, MAKELPARAM(ed->LeftMargin() + 3, -30));
  EXPECT_FALSE(ed->Dragging());
  EXPECT_FALSE(ed->AutoScrolling());
  EXPECT_EQ(GetCapture(), nullptr);
}

// A handler during the drag closes the editor's form; the form goes at the next turn of
// the loop, between two mouse messages, taking the capture and the timer with it.
TEST_F(EditorInputTest, EditorDestroyedByAnEventDuringTheDrag) {
  auto* second = new TForm(nullptr);
  second->SetBounds(0, 200, 400, 200);
  new TOvcController(second);
  auto* victim = Make(second, 0);
  second->Show();
  Pump();
  ed = victim;
  victim->Model().SetText("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\nl\r\nm\r\nn");
  HWND w = Wnd();
  bool destroyed = false;
  victim->OnChange = nullptr;
  struct Watch : TComponent {
    bool* Flag;
    Watch(TComponent* O, bool* F) : TComponent(O), Flag(F) {}
    ~Watch() override { *Flag = true; }
  };
  new Watch(victim, &destroyed);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(1, 1));
  int moves = 0;
  victim->OnMouseMove = [&moves, second](TObject*, TShiftState, int32_t, int32_t) {
    if (++moves == 2) second->Release();
  };
  SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 400));
  ASSERT_TRUE(victim->AutoScrolling());
  SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 410));
  EXPECT_FALSE(destroyed) << "not inside its own handler";
  Pump();
  ed = nullptr;
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(GetCapture(), nullptr);
  // Whatever was still on its way finds no window.
  PostMessageA(w, WM_TIMER, TOvcEditBase::kAutoScrollTimer, 0);
  PostMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 20));
  Pump();
}

TEST_F(EditorInputTest, MarginShowsTheMarginCursor) {
  POINT p{2, 20};
  ClientToScreen(Wnd(), &p);
  SetCursorPos(p.x, p.y);
  POINT got{};
  GetCursorPos(&got);
  if (got.x != p.x || got.y != p.y) GTEST_SKIP() << "the display does not move the mouse";
  Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32668)));
  p = {ed->LeftMargin() + 20, 20};
  ClientToScreen(Wnd(), &p);
  SetCursorPos(p.x, p.y);
  Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM));
}

// Every published property away from its default survives the stream; defaults are not
// written; the older Margin sets both margins.
TEST_F(EditorInputTest, PropertiesDefaultsRulesAndStreamRoundTrip) {
  TStringList* fixed = FixedFontList();
  ASSERT_GT(fixed->Count(), 0);
  {
    TMemoryStream s;
    WriteComponent(&s, ed);
    s.SetPosition(0);
    std::string text = ObjectBinaryToText(&s);
    for (const char* name : {"AutoIndent", "BorderStyle", "ByteLimit", "HideSelection",
                             "InsertMode", "LeftMargin", "RightMargin", "ScrollBars",
                             "TabSize", "UndoBufferSize", "WantEnter", "WordWrap", "WrapColumn",
                             "BackupExt", "IsOpen"})
      EXPECT_EQ(text.find(std::string(name) + " ="), std::string::npos) << name;
  }
  EXPECT_EQ(ed->LeftMargin(), 15);
  EXPECT_EQ(ed->RightMargin(), 5);
  EXPECT_TRUE(ed->HideSelection() && ed->ShowBookmarks() && ed->TrimWhiteSpace());
  EXPECT_EQ(ed->UndoBufferSize(), 8192);
  EXPECT_NE(GetWindowLongA(Wnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);

  // The rules between properties.
  ed->SetParaLengthLimit(0);
  ed->SetParaLengthLimit(40000);
  EXPECT_EQ(ed->ParaLengthLimit(), 32767);
  ed->SetScrollPastEnd(true);
  ed->SetWordWrap(true);
  EXPECT_FALSE(ed->ScrollPastEnd());
  ed->SetWrapAtLeft(false);
  EXPECT_TRUE(ed->WrapAtLeft());
  ed->SetScrollPastEnd(true);
  EXPECT_FALSE(ed->WordWrap());
  ed->SetScrollBarsAlways(true);
  ed->SetScrollBars(TScrollStyle::ssNone);
  EXPECT_FALSE(ed->ScrollBarsAlways());
  EXPECT_EQ(GetWindowLongA(Wnd(), GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);
  ed->SetScrollBarsAlways(true);
  EXPECT_FALSE(ed->ScrollBarsAlways());
  ed->SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_EQ(GetWindowLongA(Wnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);

  ed->SetName("edSql");
  ctl->SetName("OvcController1");
  ed->SetAutoIndent(true);
  ed->SetByteLimit(100000);
  ed->SetHideSelection(false);
  ed->HighlightColors()->SetBackColor(0x00FF00);
  ed->SetInsertMode(false);
  ed->SetLeftMargin(3);
  ed->SetRightMargin(15);
  ed->SetParaLimit(5000);
  ed->SetReadOnly(true);
  ed->SetScrollBars(TScrollStyle::ssVertical);
  ed->SetShowBookmarks(false);
  ed->SetTabSize(4);
  ed->SetTabType(ttSmart);
  ed->SetTrimWhiteSpace(false);
  ed->SetUndoBufferSize(1024);
  ed->SetWantEnter(false);
  ed->SetWantTab(true);
  ed->SetWordWrap(true);
  ed->SetWrapColumn(60);
  ed->SetWrapToWindow(true);
  ed->FixedFont()->SetName(fixed->Strings(fixed->Count() - 1));
  ed->FixedFont()->SetSize(12);
  ed->CaretOvr()->SetShape(TOvcCaretShape::csHalfBlock);
  ed->SetBackupExt("OLD");
  ed->SetMakeBackup(true);
  // Stored hidden: a copy read visible would focus its editor, which then takes the
  // insert mode of the copy's controller.
  form->Hide();
  TMemoryStream s;
  WriteComponent(&s, form);
  s.SetPosition(0);
  TForm copy(nullptr);
  ReadComponent(&s, &copy);
  auto* c = dynamic_cast<TyTextFileEditor*>(copy.FindComponent("edSql"));
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->AutoIndent());
  EXPECT_EQ(c->BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(c->ByteLimit(), 100000);
  EXPECT_FALSE(c->HideSelection());
  EXPECT_EQ(c->HighlightColors()->BackColor(), 0x00FF00);
  EXPECT_FALSE(c->InsertMode());
  EXPECT_EQ(c->LeftMargin(), 3);
  EXPECT_EQ(c->RightMargin(), 15);
  EXPECT_EQ(c->ParaLimit(), 5000);
  EXPECT_TRUE(c->ReadOnly());
  EXPECT_EQ(c->ScrollBars(), TScrollStyle::ssVertical);
  EXPECT_FALSE(c->ShowBookmarks());
  EXPECT_EQ(c->TabSize(), 4);
  EXPECT_EQ(c->TabType(), ttSmart);
  EXPECT_FALSE(c->TrimWhiteSpace());
  EXPECT_EQ(c->UndoBufferSize(), 1024);
  EXPECT_FALSE(c->WantEnter());
  EXPECT_TRUE(c->WantTab());
  EXPECT_TRUE(c->WordWrap());
  EXPECT_TRUE(c->WrapToWindow());
  EXPECT_EQ(c->FixedFont()->Name(), fixed->Strings(fixed->Count() - 1));
  EXPECT_EQ(c->Font()->Name(), c->FixedFont()->Name()) << "the control's font follows";
  EXPECT_EQ(c->FixedFont()->Size(), 12);
  EXPECT_EQ(c->CaretOvr()->Shape(), TOvcCaretShape::csHalfBlock);
  EXPECT_EQ(c->BackupExt(), "OLD");
  EXPECT_TRUE(c->MakeBackup());
  ASSERT_NE(c->Controller(), nullptr);
  EXPECT_EQ(c->Controller(), copy.FindComponent("OvcController1"));

  // An older form's Margin.
  TMemoryStream old;
  {
    TWriter w(&old);
    w.WriteSignature();
    w.WriteStr("TyTextFileEditor");
    w.WriteStr("edOld");
    w.WriteStr("Margin");
    w.WriteInteger(7);
    w.WriteStr("");
    w.WriteStr("");
  }
  old.SetPosition(0);
  std::unique_ptr<TComponent> o(ReadComponent(&old, nullptr));
  auto* oe = dynamic_cast<TyTextFileEditor*>(o.get());
  ASSERT_NE(oe, nullptr);
  EXPECT_EQ(oe->LeftMargin(), 7);
  EXPECT_EQ(oe->RightMargin(), 7);
}

TEST_F(EditorInputTest, FixedFontDrivesTheMetrics) {
  TStringList* fixed = FixedFontList();
  // Each family once, and each really of fixed pitch by the font's own metrics.
  HDC screen = GetDC(nullptr);
  for (int i = 0; i < fixed->Count(); ++i) {
    EXPECT_EQ(fixed->IndexOf(fixed->Strings(i)), i) << fixed->Strings(i);
    LOGFONTA lf{};
    lf.lfHeight = -13;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, fixed->Strings(i).c_str(), LF_FACESIZE);
    HFONT f = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(screen, f);
    TEXTMETRICA tm{};
    GetTextMetricsA(screen, &tm);
    EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << fixed->Strings(i);  // inverted flag
    SelectObject(screen, old);
    DeleteObject(f);
  }
  ReleaseDC(nullptr, screen);
  EXPECT_LT(fixed->IndexOf("Liberation Sans"), 0);
  const int32_t width = ed->CharWidth();
  ed->FixedFont()->SetSize(ed->FixedFont()->Size() * 2);
  EXPECT_GT(ed->CharWidth(), width);
  const std::string name = ed->FixedFont()->Name();
  ed->FixedFont()->SetName("Liberation Sans");  // proportional: refused
  EXPECT_EQ(ed->FixedFont()->Name(), name);
  EXPECT_EQ(ed->Font()->Name(), name);
  TOvcFixedFont other;
  other.SetName(fixed->Strings(0));
  other.SetSize(9);
  ed->SetFixedFont(&other);
  EXPECT_EQ(ed->Font()->Name(), fixed->Strings(0));
  EXPECT_EQ(ed->Font()->Size(), 9);
}

std::string ReadFile(const std::string& Name) {
  std::ifstream f(Name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST_F(EditorInputTest, FilesThroughTheControl) {
  const std::string name = "editor_input_test.sql";
  std::string longLine(40000, 'x');
  for (size_t i = 100; i < longLine.size(); i += 100) longLine[i] = ' ';
  const std::string content = "begin\r\n" + longLine + "\r\nend;\r\n";
  {
    std::ofstream f(name, std::ios::binary);
    f << content;
  }
  // Loading always clears, also in an editor that has no window yet.
  auto* lone = new TyTextFileEditor(form);
  lone->Model().SetText("old text");
  lone->SetTrimWhiteSpace(false);
  ASSERT_FALSE(lone->HandleAllocated());
  lone->LoadFromFile(name);
  EXPECT_TRUE(lone->IsOpen());
  EXPECT_EQ(lone->Model().GetPara(1), std::string("begin"));
  const std::string out = "editor_input_test.out";
  lone->SaveToFile(out);
  EXPECT_EQ(ReadFile(out), content) << "the long line went into further paragraphs, not lost";

  // IsOpen from a form loads the file once the form is read.
  ed->SetName("edFile");
  ed->SetTrimWhiteSpace(false);
  ed->SetFileName(name);
  ed->SetIsOpen(true);
  EXPECT_EQ(ed->Model().GetParaCount(), lone->Model().GetParaCount());
  TMemoryStream s;
  WriteComponent(&s, form);
  s.SetPosition(0);
  TForm copy(nullptr);
  ReadComponent(&s, &copy);
  auto* c = dynamic_cast<TyTextFileEditor*>(copy.FindComponent("edFile"));
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->IsOpen());
  EXPECT_EQ(c->Model().GetTextString(), ed->Model().GetTextString());
  c->SetIsOpen(false);
  EXPECT_EQ(c->Model().GetTextString(), "\r\n");

  // A text set with a line beyond the paragraph limit keeps all of it.
  ed->Model().SetText(longLine.c_str());
  std::string joined;
  for (int32_t p = 1; p <= ed->Model().GetParaCount(); ++p) joined += ed->Model().GetPara(p);
  EXPECT_EQ(joined, longLine);
  EXPECT_EQ(ed->Model().GetParaCount(), 2);

  // A text beyond the paragraph limit is reported, not dropped in silence.
  std::vector<uint16_t> codes;
  ed->OnError = [&](TObject*, uint16_t& C) { codes.push_back(C); };
  ed->SetParaLimit(2);
  ed->LoadFromFile(name);
  EXPECT_EQ(codes, std::vector<uint16_t>{265});
  std::remove(name.c_str());
  std::remove(out.c_str());
}

// A key whose command the editor declines is not swallowed; the row is the font's height,
// its external leading and a pixel; a drawing handler gets the paragraph from each
// line's start on.
TEST_F(EditorInputTest, DeclinedCommandsRowsAndDrawnLines) {
  TOvcCommandTable* table = ctl->EntryCommands()->GetCommandTable(DefaultTableName());
  for (WPARAM key : {VK_TAB, VK_RETURN}) {
    TOvcCmdRec rec{static_cast<uint8_t>(key), 0, 0, 0, ccRestore};
    int at = table->IndexOfKeys(rec);
    if (at < 0) table->AddCommandRec(rec);
    else table->PutCommandRec(at, rec);
  }
  ed->SetWantTab(true);
  Key(VK_TAB);
  EXPECT_EQ(Text(), "\t\r\n");
  Key(VK_RETURN);
  EXPECT_EQ(Text(), "\t\r\n\r\n");

  HDC dc = GetDC(Wnd());
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(ed->Font()->Handle()));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(Wnd(), dc);
  EXPECT_EQ(ed->RowHeight(), tm.tmHeight + tm.tmExternalLeading + 1);

  ed->Model().SetText("one two three four\r\nx\ty");
  ed->SetWrapColumn(8);
  ed->SetWordWrap(true);
  std::vector<std::string> drawn;
  ed->OnDrawLine = [&](TObject*, TCanvas*, const TRect&, const char* S, int32_t Len, int32_t,
                       int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, bool& WasDrawn) {
    drawn.emplace_back(S, static_cast<size_t>(Len));
    WasDrawn = true;
  };
  ed->Invalidate();
  UpdateWindow(Wnd());
  ASSERT_GE(drawn.size(), 5u);
  EXPECT_EQ(drawn[0], "one two three four");
  EXPECT_EQ(drawn[1], "three four");
  EXPECT_EQ(drawn[2], "four");
  EXPECT_EQ(drawn[3], "x       ");  // a line with a tab: expanded, that line alone
  EXPECT_EQ(drawn[4], "y");
}

}  // namespace
}  // namespace tess
