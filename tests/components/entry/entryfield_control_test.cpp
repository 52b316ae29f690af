// The simple entry field under Wine, through its window: typing with key messages, the
// text and selection messages, the clipboard, the focus and validation sequence with its
// posted notices, auto-advance through the form, the component stream, painting, and
// the international settings of the profile.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "components/core/exceptions.h"
#include "components/entry/simplefield.h"
#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/win/clipbrd.h"
#include "framework/win/dc_guards.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

HWND Wnd(TWinControl* C) {
  return static_cast<HWND>(C->Handle());
}

// A key as the keyboard delivers it to the focused window: key-down, then the
// character it makes (if any).
void Key(TWinControl* C, WPARAM VKey, char Ch = 0) {
  SendMessageA(Wnd(C), WM_KEYDOWN, VKey, 1);
  if (Ch) SendMessageA(Wnd(C), WM_CHAR, static_cast<unsigned char>(Ch), 1);
}

void Type(TWinControl* C, const std::string& S) {
  for (char Ch : S) {
    const SHORT Scan = VkKeyScanA(Ch);
    const bool Shift = (Scan >> 8) & 1;
    if (Shift) testing::SetKeyDown(VK_SHIFT, true);
    Key(C, Scan & 0xFF, Ch);
    if (Shift) testing::SetKeyDown(VK_SHIFT, false);
  }
}

void CtrlKey(TWinControl* C, WPARAM VKey) {
  testing::SetKeyDown(VK_CONTROL, true);
  Key(C, VKey, static_cast<char>(VKey - 'A' + 1));
  testing::SetKeyDown(VK_CONTROL, false);
}

std::string WindowText(TWinControl* C) {
  char Buf[300] = {};
  GetWindowTextA(Wnd(C), Buf, sizeof Buf);
  return Buf;
}

class FieldTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    RegisterEntryFieldClasses();
    ctl = new TOvcController(form);
    ctl->OnError = [this](TObject* Sender, uint16_t Code, const std::string& Msg) {
      errors.push_back({Sender, Code, Msg});
    };
  }
  TOvcSimpleField* AddField(int Top, TSimpleDataType Type = sftString) {
    auto* F = new TOvcSimpleField(form);
    F->SetParent(form);
    F->SetDataType(Type);
    F->SetBounds(10, Top, 160, F->Height());
    return F;
  }
  struct Error {
    TObject* Sender;
    uint16_t Code;
    std::string Msg;
  };
  TOvcController* ctl = nullptr;
  std::vector<Error> errors;
};

// The field the program places on its substitution-variable dialog.
TEST_F(FieldTest, StringFieldAsTheProgramUsesIt) {
  TOvcSimpleField* F = AddField(10);
  F->SetTrimBlanks(false);
  F->CaretOvr()->SetShape(TOvcCaretShape::csBlock);
  std::string Seen;
  F->OnUserValidation = [&](TObject*, uint16_t& Code) {
    Seen = F->GetAsString();
    if (Seen == "bad") Code = oeCustomError;
  };
  EXPECT_EQ(F->MaxLength(), 15);
  EXPECT_EQ(F->PictureMask(), 'X');
  ShowForm();
  F->SetFocus();
  Pump();
  Type(F, "Hello, World! 1234");  // three characters too many
  EXPECT_EQ(F->Model().Text(), "Hello, World! 1");
  EXPECT_EQ(WindowText(F), "Hello, World! 1");
  EXPECT_EQ(F->GetAsString(), "Hello, World! 1");
  EXPECT_EQ(Seen, "Hello, World! 1");
  // Backspace and Delete through the command tables; their characters are not typed.
  Key(F, VK_BACK, '\b');
  Key(F, VK_HOME);
  Key(F, VK_DELETE);
  EXPECT_EQ(F->Model().Text(), "ello, World! ");
  // Insert toggles overtype, shared with the controller when the field is left.
  Key(F, VK_INSERT);
  EXPECT_FALSE(F->InsertMode());
  Type(F, "J");
  EXPECT_EQ(F->Model().Text(), "Jllo, World! ");
  Key(F, VK_INSERT);
  // SetAsString with an empty string clears; blanks are kept without TrimBlanks.
  F->SetAsString("");
  EXPECT_EQ(F->GetAsString(), "");
  F->SetAsString("  a b  ");
  EXPECT_EQ(F->GetAsString(), "  a b  ");
  // The handler reads the value it checks (without recursing) and refuses it.
  F->SetAsString("bad");
  EXPECT_EQ(F->GetAsString(), "");
  EXPECT_EQ(Seen, "bad");
  EXPECT_EQ(F->LastError(), oeCustomError);
  // WM_SETTEXT replaces the text under the picture rules; the window's text follows.
  F->SetPictureMask('9');
  SetWindowTextA(Wnd(F), "a1b2c3");
  EXPECT_EQ(WindowText(F), "123");
  EXPECT_EQ(SendMessageA(Wnd(F), WM_GETTEXTLENGTH, 0, 0), 3);
  EXPECT_EQ(SendMessageA(Wnd(F), WM_GETDLGCODE, 0, 0) & (DLGC_WANTARROWS | DLGC_WANTCHARS),
            DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(FieldTest, SelectionClipboardAndReadOnly) {
  TOvcSimpleField* F = AddField(10);
  ShowForm();
  F->SetFocus();
  Pump();
  Type(F, "abc def");
  DWORD S = 9, E = 9;
  // Select all: 0 to -1 (32-bit) or 0 to 65535 (16-bit); the selection ends at the text.
  SendMessageA(Wnd(F), EM_SETSEL, 0, -1);
  SendMessageA(Wnd(F), EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&E));
  EXPECT_EQ(S, 0u);
  EXPECT_EQ(E, 7u);
  SendMessageA(Wnd(F), EM_SETSEL, 65535, 0);
  EXPECT_EQ(F->Model().SelEnd(), 0);
  SendMessageA(Wnd(F), EM_SETSEL, 0, 65535);
  EXPECT_EQ(F->Model().SelEnd(), 7);
  SendMessageA(Wnd(F), EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(F->Model().SelEnd(), 0);
  // Copy exactly the selection, paste it back.
  SendMessageA(Wnd(F), EM_SETSEL, 4, 7);
  CtrlKey(F, 'C');
  Clipboard()->Open();
  EXPECT_EQ(Clipboard()->AsText(), "def");
  Clipboard()->Close();
  Key(F, VK_HOME);
  CtrlKey(F, 'V');
  EXPECT_EQ(F->Model().Text(), "defabc def");
  EXPECT_EQ(SendMessageA(Wnd(F), EM_GETMODIFY, 0, 0), 1);
  SendMessageA(Wnd(F), EM_SETMODIFY, 0, 0);
  EXPECT_EQ(SendMessageA(Wnd(F), EM_GETMODIFY, 0, 0), 1);  // ever modified stays
  // Cut takes the text out; read-only refuses every change.
  SendMessageA(Wnd(F), EM_SETSEL, 0, 3);
  SendMessageA(Wnd(F), WM_CUT, 0, 0);
  EXPECT_EQ(F->Model().Text(), "abc def");
  F->SetReadOnly(true);
  Type(F, "zz");
  Key(F, VK_BACK, '\b');
  SendMessageA(Wnd(F), WM_PASTE, 0, 0);
  EXPECT_EQ(F->Model().Text(), "abc def");
  // A key-press handler that clears the key keeps the character out.
  F->SetReadOnly(false);
  F->OnKeyPress = [](TObject*, char& K) {
    if (K == 'q') K = 0;
  };
  Key(F, VK_END);
  Type(F, "qx");
  EXPECT_EQ(F->Model().Text(), "abc defx");
}

// OnChange tells of edits of the text: not of caret moves, nor of values the program
// writes.
TEST_F(FieldTest, OnChangeFollowsEditsOfTheText) {
  TOvcSimpleField* F = AddField(10);
  int Changes = 0;
  F->OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, F);
    ++Changes;
  };
  ShowForm();
  F->SetFocus();
  Pump();
  Type(F, "ab");
  EXPECT_EQ(Changes, 2);
  Key(F, VK_LEFT);
  Key(F, VK_HOME);
  EXPECT_EQ(Changes, 2);
  Key(F, VK_DELETE);
  EXPECT_EQ(F->Model().Text(), "b");
  EXPECT_EQ(Changes, 3);
  F->SetAsString("xyz");
  EXPECT_EQ(Changes, 3);
  F->Restore();
  EXPECT_EQ(F->Model().Text(), "");
  EXPECT_EQ(Changes, 4);
}

TEST_F(FieldTest, MouseAndAltKeypad) {
  TOvcSimpleField* A = AddField(10);
  TOvcSimpleField* B = AddField(40, sftLongInt);
  EXPECT_EQ(B->MaxLength(), 11);  // room for -2147483648
  EXPECT_EQ(AddField(70, sftInteger)->MaxLength(), 6);
  ShowForm();
  A->SetFocus();
  Pump();
  B->SetAsString("123456");
  // A click into the unfocused field puts the caret at the click, with nothing selected.
  const int32_t CharW = [&] {
    HDC Dc = GetDC(Wnd(B));
    HGDIOBJ Old = SelectObject(Dc, static_cast<HGDIOBJ>(B->Font()->Handle()));
    SIZE Sz{};
    GetTextExtentPoint32A(Dc, "1", 1, &Sz);
    SelectObject(Dc, Old);
    ReleaseDC(Wnd(B), Dc);
    return static_cast<int32_t>(Sz.cx);
  }();
  const int32_t X = B->TextMargin() - 1 + 3 * CharW + 1;
  SendMessageA(Wnd(B), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, 5));
  SendMessageA(Wnd(B), WM_LBUTTONUP, 0, MAKELPARAM(X, 5));
  EXPECT_EQ(GetFocus(), Wnd(B));
  EXPECT_EQ(B->Model().CaretPos(), 3);
  EXPECT_EQ(B->Model().SelStart(), B->Model().SelEnd());
  // A double click selects the word.
  SendMessageA(Wnd(B), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(X, 5));
  EXPECT_EQ(B->Model().SelEnd() - B->Model().SelStart(), 6);
  // Tab alone is not translated on WM_SYSKEYDOWN; Alt and keypad digits type a code.
  A->SetFocus();
  Pump();
  SetWindowTextA(Wnd(A), "");
  SendMessageA(Wnd(A), WM_SYSKEYDOWN, VK_TAB, 1 << 29);
  SendMessageA(Wnd(A), WM_SYSKEYDOWN, VK_NUMPAD6, 1 << 29);
  SendMessageA(Wnd(A), WM_SYSKEYDOWN, VK_NUMPAD5, 1 << 29);
  SendMessageA(Wnd(A), WM_CHAR, 'A', 0);
  EXPECT_EQ(A->Model().Text(), "A");
  // Alt is the only shift state of a system key: with Shift held too, Alt+Backspace
  // still restores the text the field had on entry.
  B->SetFocus();
  Pump();
  Type(B, "9");
  ASSERT_NE(B->Model().Text(), "123456");
  testing::SetKeyDown(VK_SHIFT, true);
  SendMessageA(Wnd(B), WM_SYSKEYDOWN, VK_BACK, 1 << 29);
  testing::SetKeyDown(VK_SHIFT, false);
  EXPECT_EQ(B->Model().Text(), "123456");
}

// Two-digit years are placed after the controller's epoch, as it is when they are read.
TEST_F(FieldTest, TwoDigitYearsFollowTheControllersEpoch) {
  TOvcSimpleField* F = AddField(10);
  ShowForm();
  ASSERT_EQ(F->Controller(), ctl);
  F->Model().Data.SetDataType(sftDate);
  auto Year = [](int32_t Julian) {
    int D = 0, M = 0, Y = 0;
    return DateToDMY(Julian, D, M, Y) ? Y : -1;
  };
  F->SetRangeLo("01/01/  49");
  EXPECT_EQ(Year(F->Model().Data.RangeLoValue().Get<int32_t>()), 1949);
  ctl->SetEpoch(1950);
  F->SetRangeLo("01/01/  49");
  EXPECT_EQ(Year(F->Model().Data.RangeLoValue().Get<int32_t>()), 2049);
  F->Model().Data.SetRangeDefaults();
  F->SetEditString("01/01/  20");
  int32_t Julian = 0;
  ASSERT_EQ(F->GetValue(&Julian), 0);
  EXPECT_EQ(Year(Julian), 2020);
  // The field's own epoch comes first.
  F->Model().Data.SetEpoch(2030);
  ASSERT_EQ(F->GetValue(&Julian), 0);
  EXPECT_EQ(Year(Julian), 2120);
}

TEST_F(FieldTest, UserCommandsForcedModesAndRecreation) {
  TOvcSimpleField* F = AddField(10, sftWord);
  std::vector<uint16_t> Commands;
  F->OnUserCommand = [&](TObject*, uint16_t C) { Commands.push_back(C); };
  ctl->EntryCommands()->AddCommandRec("Default", TOvcCmdRec{VK_F2, 0, 0, 0, 300});
  F->SetForceInsert(true);
  ShowForm();
  F->SetFocus();
  Pump();
  Key(F, VK_F2);
  EXPECT_EQ(Commands, std::vector<uint16_t>{300});
  Key(F, VK_INSERT);  // no overtype in a forced-insert field
  EXPECT_TRUE(F->InsertMode());
  EXPECT_EQ(SendMessageA(Wnd(F), OM_GETDATASIZE, 0, 0), 2);
  // The window is remade for a new length; the value stays.
  F->SetAsString("4321");
  F->SetMaxLength(4);
  EXPECT_EQ(F->GetAsString(), "4321");
  // A new data type starts from the type's default value.
  F->SetDataType(sftLongInt);
  EXPECT_EQ(F->GetAsString(), "0");
  EXPECT_EQ(F->MaxLength(), 11);
  EXPECT_THROW(F->SetPictureMask('Q'), EInvalidPictureMask);
  EXPECT_EQ(F->PictureMask(), 'i');
  EXPECT_THROW(F->SetDataType(static_cast<TSimpleDataType>(14)), EOvcException);
}

// Leaving an invalid field: the error is reported once, after the focus change, and
// the focus comes back to the field.
TEST_F(FieldTest, FocusAndValidationSequence) {
  TOvcSimpleField* A = AddField(10, sftInteger);
  TOvcSimpleField* B = AddField(40, sftInteger);
  auto* Cancel = new TButton(form);
  Cancel->SetParent(form);
  Cancel->SetBounds(10, 80, 80, 25);
  ctl->SetBtnCancel(Cancel);
  A->SetRangeLo("1");
  A->SetRangeHi("10");
  B->SetRangeLo("1");
  B->SetRangeHi("10");
  std::vector<std::string> Edits;
  ctl->OnPreEdit = [&](TObject* S, TWinControl*) { Edits.push_back(S == A ? "pre A" : "pre B"); };
  ctl->OnPostEdit = [&](TObject* S, TWinControl*) {
    Edits.push_back(S == A ? "post A" : "post B");
  };
  ShowForm();
  A->SetFocus();
  Pump();
  Type(A, "42");
  B->SetFocus();
  // Nothing is reported while the focus change is running.
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(ctl->ErrorPending() || GetFocus() == Wnd(B));
  Pump();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].Sender, A);
  EXPECT_EQ(errors[0].Code, oeRangeError);
  EXPECT_EQ(errors[0].Msg, "Value is not within required range");
  EXPECT_EQ(GetFocus(), Wnd(A));
  EXPECT_FALSE(ctl->ErrorPending());
  // The caret and the text survived the return.
  EXPECT_EQ(A->Model().Text(), "42");
  // Two invalid fields: B's own exit is skipped on the way back, so only A reports.
  B->Model().SetText("99");
  errors.clear();
  B->SetFocus();
  Pump();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].Sender, A);
  EXPECT_EQ(GetFocus(), Wnd(A));
  // The Cancel button is no reason to complain.
  errors.clear();
  Cancel->SetFocus();
  Pump();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(GetFocus(), Wnd(Cancel));
  // A valid value lets the focus go; pre- and post-edit notices were delivered.
  A->SetFocus();
  Pump();
  Key(A, VK_BACK, '\b');
  Key(A, VK_BACK, '\b');
  Type(A, "7");
  B->SetAsString("5");
  B->SetFocus();
  Pump();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(GetFocus(), Wnd(B));
  EXPECT_NE(std::find(Edits.begin(), Edits.end(), "post A"), Edits.end());
  EXPECT_NE(std::find(Edits.begin(), Edits.end(), "pre B"), Edits.end());
  int16_t V = 0;
  EXPECT_EQ(A->GetValue(&V), 0);
  EXPECT_EQ(V, 7);
}

TEST_F(FieldTest, SoftValidationAndClosingWithAnErrorPending) {
  TOvcSimpleField* A = AddField(10, sftByte);
  TOvcSimpleField* B = AddField(40, sftByte);
  A->SetSoftValidation(true);
  A->SetInputRequired(true);
  ShowForm();
  A->SetFocus();
  Pump();
  B->SetFocus();
  Pump();
  // Soft: the focus may leave; the field stays marked.
  EXPECT_EQ(GetFocus(), Wnd(B));
  EXPECT_TRUE(A->Model().Invalid());
  EXPECT_TRUE(errors.empty());
  // An error queued when the form goes away is dropped with the field.
  A->SetSoftValidation(false);
  A->SetFocus();
  Pump();
  A->Model().SetText("");
  B->SetFocus();  // the report and the focus return are now queued
  delete form;
  form = nullptr;
  Pump();
  EXPECT_TRUE(errors.empty());
  form = new TForm(nullptr);  // for TearDown
}

TEST_F(FieldTest, AutoAdvanceMovesThroughTheForm) {
  TOvcSimpleField* A = AddField(10);
  TOvcSimpleField* B = AddField(40);
  TOvcSimpleField* C = AddField(70);
  A->SetMaxLength(3);
  A->SetAutoAdvanceChar(true);
  B->SetAutoAdvanceLeftRight(true);
  ShowForm();
  A->SetFocus();
  Pump();
  Type(A, "abc");
  Pump();
  EXPECT_EQ(GetFocus(), Wnd(B));
  Key(B, VK_LEFT);
  Pump();
  EXPECT_EQ(GetFocus(), Wnd(A));
  // The form's next-control message, sent and posted, with a window or a direction.
  SendMessageA(Wnd(form), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Wnd(C)), TRUE);
  EXPECT_EQ(GetFocus(), Wnd(C));
  PostMessageA(Wnd(form), WM_NEXTDLGCTL, 1, 0);
  Pump();
  EXPECT_EQ(GetFocus(), Wnd(B));
  SendMessageA(Wnd(form), WM_NEXTDLGCTL, 0, 0);
  EXPECT_EQ(GetFocus(), Wnd(C));
}

TEST_F(FieldTest, StreamKeepsRangesAndClampsTheLength) {
  TOvcSimpleField* F = AddField(10, sftWord);
  F->SetName("Amount");
  form->SetName("Dialog");
  ctl->SetName("Entries");
  F->SetController(ctl);
  F->SetRangeLo("100");
  F->SetRangeHi("500");
  F->SetMaxLength(4);
  TMemoryStream Stream;
  WriteComponent(&Stream, F);
  const std::string Text = [&] {
    Stream.Seek(0, TSeekOrigin::soBeginning);
    return ObjectBinaryToText(&Stream);
  }();
  EXPECT_NE(Text.find("RangeHigh"), std::string::npos);
  EXPECT_EQ(Text.find("RangeHi ="), std::string::npos);
  EXPECT_NE(Text.find("Controller = Dialog.Entries"), std::string::npos) << Text;

  auto G = std::make_unique<TOvcSimpleField>(nullptr);
  Stream.Seek(0, TSeekOrigin::soBeginning);
  ReadComponent(&Stream, G.get());
  EXPECT_EQ(G->DataType(), sftWord);
  EXPECT_EQ(G->RangeLo(), "100");
  EXPECT_EQ(G->RangeHi(), "500");
  EXPECT_EQ(G->MaxLength(), 4);

  // A stored length beyond the edit buffer (or none) is clamped when loaded.
  F->SetDataType(sftString);
  F->SetMaxLength(200);
  for (int16_t Stored : {int16_t{300}, int16_t{0}}) {
    TMemoryStream Out;
    WriteComponent(&Out, F);
    std::string Bytes(Out.Memory(), static_cast<size_t>(Out.Size()));
    const size_t At = Bytes.find("MaxLength");
    ASSERT_NE(At, std::string::npos);
    // After the name: the value's type byte and the 16-bit value.
    Bytes[At + 10] = static_cast<char>(Stored & 0xFF);
    Bytes[At + 11] = static_cast<char>(Stored >> 8);
    TMemoryStream In;
    In.Write(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    In.Seek(0, TSeekOrigin::soBeginning);
    ASSERT_NE(ObjectBinaryToText(&In).find("MaxLength = " + std::to_string(Stored)),
              std::string::npos);
    In.Seek(0, TSeekOrigin::soBeginning);
    auto H = std::make_unique<TOvcSimpleField>(nullptr);
    ReadComponent(&In, H.get());
    EXPECT_EQ(H->MaxLength(), Stored == 0 ? 1 : 255);
  }
}

TEST_F(FieldTest, PaintsErrorAndSelectionColours) {
  TOvcSimpleField* A = AddField(10, sftByte);
  TOvcSimpleField* B = AddField(40);
  A->SetSoftValidation(true);
  ShowForm();
  A->SetFocus();
  Pump();
  Type(A, "999");
  B->SetFocus();
  Pump();
  ASSERT_TRUE(A->Model().Invalid());
  auto Paint = [](TWinControl* C, int X, int Y) {
    HDC Screen = GetDC(nullptr);
    HDC Mem = CreateCompatibleDC(Screen);
    RECT R;
    GetClientRect(Wnd(C), &R);
    HBITMAP Bmp = CreateCompatibleBitmap(Screen, R.right, R.bottom);
    HGDIOBJ Old = SelectObject(Mem, Bmp);
    SendMessageA(Wnd(C), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Mem), PRF_CLIENT);
    COLORREF P = GetPixel(Mem, X, Y);
    SelectObject(Mem, Old);
    DeleteObject(Bmp);
    DeleteDC(Mem);
    ReleaseDC(nullptr, Screen);
    return P;
  };
  // The invalid field is drawn in the error colours.
  EXPECT_EQ(Paint(A, 1, 1), RGB(255, 0, 0));
  // The focused field shows its selection in the highlight colours.
  Type(B, "WWWW");
  SendMessageA(Wnd(B), EM_SETSEL, 0, 2);
  const COLORREF Highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(Paint(B, B->TextMargin() + 2, B->Height() / 2 - 2), Highlight);
  EXPECT_EQ(Paint(B, B->ClientWidth() - 3, 2), ColorToRGB(clWindow));
}

// The international settings of the profile reach the fields: "," as the decimal
// character in one locale, "." in the other.
TEST_F(FieldTest, DecimalCharacterFromTheProfile) {
  TOvcSimpleField* F = AddField(10, sftDouble);
  ShowForm();
  F->SetFocus();
  Pump();
  struct Locale {
    const char* Decimal;
    std::string Typed;
  };
  for (const Locale& L : {Locale{",", "2,5"}, Locale{".", "2.5"}}) {
    char Old[16] = {};
    GetProfileStringA("intl", "sDecimal", ".", Old, sizeof Old);
    WriteProfileStringA("intl", "sDecimal", L.Decimal);
    auto Source = SystemIntlSource();
    TOvcIntlSup Intl(*Source);
    WriteProfileStringA("intl", "sDecimal", Old);
    F->Model().Data.SetIntlSup(&Intl);
    SetWindowTextA(Wnd(F), "");
    Type(F, L.Typed);
    EXPECT_EQ(F->Model().Text(), L.Typed);
    double V = 0;
    EXPECT_EQ(F->GetValue(&V), 0);
    EXPECT_DOUBLE_EQ(V, 2.5);
    F->Model().Data.SetIntlSup(&IntlSup());
  }
}

}  // namespace
}  // namespace tess
