// The table's cells on a real table under Wine: glyph strips shared and refused, check
// boxes cycling through real key messages and clicks, glyph and combo painting, the
// combo cell's in-place editor with its subclassed edit field, the string editor's keys,
// the attribute store's overrides, options, scroll bars and the cell class registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "components/table/celltext.h"
#include "components/table/combocell.h"
#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/win/recordcanvas.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"
#include "tests/framework/win/poisoned_heap.h"

namespace tess {
namespace {

using testing::FormTest;

// A table whose verdict on keys the test decides, and that records the keys it gets.
class KeyTable : public TOvcTable {
 public:
  using TOvcTable::TOvcTable;
  uint8_t Verdict = 0;
  std::vector<uint16_t> Keys;
  std::vector<uint32_t> Notices;
  uint8_t FilterKey(TMessage&) override { return Verdict; }
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_KEYDOWN) Keys.push_back(static_cast<uint16_t>(M.WParam));
    if (M.Msg == ctim_SetFocus || M.Msg == ctim_KillFocus) Notices.push_back(M.Msg);
    TOvcTable::Dispatch(M);
  }
};

class CellsTest : public FormTest {
 protected:
  void Build() {
    form->SetBounds(0, 0, 640, 400);
    new TOvcController(form);
    table = new KeyTable(form);
    table->Font()->SetName("Courier New");
    table->Font()->SetSize(10);
    table->SetParent(form);
    table->SetBounds(0, 0, 600, 330);
    table->SetRowLimit(20);
    table->SetColCount(6);
    for (int C = 0; C < 6; ++C) table->Columns().SetWidth(C, 90);
    ShowForm();
  }
  TRect CellRect(int32_t R, int32_t C) {
    TOvcTableRect T;
    EXPECT_TRUE(table->Layout().GetCellRect(R, C, T));
    return TRect{T.Left, T.Top, T.Right, T.Bottom};
  }
  TOvcCellAttributes Attr() {
    TOvcCellAttributes A;
    A.Color = clWindow;
    A.Adjust = TOvcTblAdjust::otaCenter;
    A.Access = TOvcTblAccess::otxNormal;
    return A;
  }
  KeyTable* table = nullptr;
};

std::unique_ptr<TBitmap> Strip(int32_t W, int32_t H) {
  auto B = std::make_unique<TBitmap>(W, H);
  B->Canvas()->Brush()->SetColor(clWhite);
  B->Canvas()->FillRect(TRect{0, 0, W, H});
  return B;
}

TEST_F(CellsTest, GlyphStripsAreSharedCountedAndChecked) {
  auto& Store = TGlyphResourceManager::Instance();
  const int Listed = Store.ListedCount();
  TOvcTCCheckBox A(form), B(form);
  // The program's strip: three square check-box glyphs, shared.
  EXPECT_EQ(A.CellGlyphs()->GlyphCount(), 3);
  EXPECT_EQ(A.CellGlyphs()->ActiveGlyphCount(), 2);
  EXPECT_EQ(A.CellGlyphs()->BitMap(), B.CellGlyphs()->BitMap());
  EXPECT_TRUE(A.CellGlyphs()->IsDefault());

  TOvcCellGlyphs G;
  auto Bm48 = Strip(48, 16), Bm50 = Strip(50, 16), Bm32 = Strip(32, 16);
  G.SetBitMap(Bm48.get());
  EXPECT_EQ(G.GlyphCount(), 3);
  EXPECT_EQ(Store.ListedCount(), Listed + 1);
  A.SetCellGlyphs(&G);  // shares G's entry
  EXPECT_EQ(A.CellGlyphs()->BitMap(), G.BitMap());
  EXPECT_NE(B.CellGlyphs()->BitMap(), G.BitMap());
  EXPECT_EQ(Store.ListedCount(), Listed + 1);
  EXPECT_FALSE(A.CellGlyphs()->IsDefault());

  // Refused: a two-glyph strip for a check box, counts outside 1 .. GlyphCount, 0 glyphs.
  TOvcCellGlyphs Two;
  Two.SetBitMap(Bm32.get());
  ASSERT_EQ(Two.GlyphCount(), 2);
  A.SetCellGlyphs(&Two);
  EXPECT_EQ(A.CellGlyphs()->BitMap(), G.BitMap());
  G.SetActiveGlyphCount(0);
  G.SetActiveGlyphCount(4);
  EXPECT_EQ(G.ActiveGlyphCount(), 3);
  G.SetGlyphCount(0);
  EXPECT_EQ(G.GlyphCount(), 3);
  G.SetBitMap(Bm50.get());
  EXPECT_EQ(G.GlyphCount(), 1);

  // Entries go when their last user does.
  Two.SetIsDefault(true);
  G.SetBitMap(nullptr);
  A.CellGlyphs()->SetIsDefault(true);
  EXPECT_EQ(Store.ListedCount(), Listed);
}

// The cell's drag events go to its editor with the others while it edits.
TEST_F(CellsTest, TheEditorTakesTheCellsDragEvents) {
  Build();
  auto* Box = new TOvcTCCheckBox(form);
  table->SetColumnCell(2, Box);
  int Over = 0, Dropped = 0, Ended = 0;
  Box->OnDragOver = [&](TObject*, TObject*, int32_t, int32_t, TDragState, bool&) { ++Over; };
  Box->OnDragDrop = [&](TObject*, TObject*, int32_t, int32_t) { ++Dropped; };
  Box->OnEndDrag = [&](TObject*, TObject*, int32_t, int32_t) { ++Ended; };
  uint8_t State = cbUnchecked;
  Box->StartEditing(1, 2, CellRect(1, 2), Attr(), TOvcTblEditorStyle::tesNormal, &State);
  TWinControl* Editor = Box->EditControl();
  ASSERT_NE(Editor, nullptr);
  bool Accept = false;
  Editor->DragOver(table, 1, 1, TDragState::dsDragEnter, Accept);
  Editor->DragDrop(table, 1, 1);
  ASSERT_TRUE(Editor->OnEndDrag);
  Editor->OnEndDrag(Editor, nullptr, 0, 0);
  EXPECT_EQ(Over, 1);
  EXPECT_EQ(Dropped, 1);
  EXPECT_EQ(Ended, 1);
  Box->StopEditing(false, nullptr);
}

// The cells hand their events to their editors: a handler that frees the editor (the
// control it was raised on) leaves a cell that forgets it and a table that goes on.
TEST_F(CellsTest, AnEditorFreedByAHandedEventIsForgotten) {
  Build();
  auto* Text = new TOvcTCString(form);
  auto* Combo = new TOvcTCComboBox(form);
  auto* Glyph = new TOvcTCGlyph(form);
  auto* Box = new TOvcTCCheckBox(form);
  const std::vector<TOvcBaseTableCell*> cells = {Text, Combo, Glyph, Box};
  int Col = 1;
  for (TOvcBaseTableCell* Cell : cells) {
    SCOPED_TRACE(Cell->ClassName());
    table->SetColumnCell(Col, Cell);
    int Freed = 0;
    Cell->OnKeyDown = [&Freed](TObject* Sender, uint16_t&, TShiftState) {
      ++Freed;
      delete Sender;
    };
    uint8_t Data[256] = {};
    Cell->StartEditing(1, Col, CellRect(1, Col), Attr(), TOvcTblEditorStyle::tesNormal, Data);
    ASSERT_NE(Cell->EditHandle(), nullptr);
    HWND Editor = static_cast<HWND>(Cell->EditHandle());
    // A combo box's keys come through its edit field.
    HWND Keys = FindWindowExA(Editor, nullptr, "Edit", nullptr);
    SetFocus(Keys ? Keys : Editor);
    testing::PressKey('A');
    EXPECT_EQ(Freed, 1);
    EXPECT_EQ(Cell->EditControl(), nullptr);
    EXPECT_FALSE(IsWindow(Editor));
    Cell->StopEditing(true, Data);
    EXPECT_EQ(testing::FreedBlocksWrittenTo(), "");
    ++Col;
  }
  // The table still edits.
  Text->OnKeyDown = nullptr;
  uint8_t Data[256] = {};
  Text->StartEditing(1, 1, CellRect(1, 1), Attr(), TOvcTblEditorStyle::tesNormal, Data);
  EXPECT_NE(Text->EditHandle(), nullptr);
  Text->StopEditing(false, nullptr);
}

TEST_F(CellsTest, CheckBoxCyclesByKeysAndClicks) {
  Build();
  auto* Box = new TOvcTCCheckBox(form);
  table->SetColumnCell(2, Box);
  uint8_t State = cbUnchecked;
  Box->StartEditing(1, 2, CellRect(1, 2), Attr(), TOvcTblEditorStyle::tesNormal, &State);
  ASSERT_NE(Box->EditHandle(), nullptr);
  SetFocus(Box->EditHandle());
  std::vector<int32_t> Seen;
  for (int I = 0; I < 3; ++I) {
    testing::PressKey(VK_SPACE);
    Seen.push_back(Box->EditControl()->Value());
  }
  EXPECT_EQ(Seen, (std::vector<int32_t>{1, 0, 1}));
  testing::PressKey(VK_BACK);
  EXPECT_EQ(Box->EditControl()->Value(), 0);

  Box->SetAllowGrayed(true);
  Seen.clear();
  for (int I = 0; I < 3; ++I) {
    SendMessageA(Box->EditHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(Box->EditHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Seen.push_back(Box->EditControl()->Value());
  }
  EXPECT_EQ(Seen, (std::vector<int32_t>{1, 2, 0}));
  testing::PressKey(VK_BACK);
  Box->StopEditing(true, &State);
  EXPECT_EQ(State, cbGrayed);
  EXPECT_EQ(Box->EditHandle(), nullptr);

  // A table that moves by arrows gets them; Space stays with the box.
  table->Verdict = 1;
  Box->StartEditing(1, 2, CellRect(1, 2), Attr(), TOvcTblEditorStyle::tesNormal, &State);
  SetFocus(Box->EditHandle());
  testing::PressKey(VK_DOWN);
  testing::PressKey(VK_SPACE);
  EXPECT_EQ(table->Keys, std::vector<uint16_t>{VK_DOWN});
  EXPECT_EQ(Box->EditControl()->Value(), 0);  // grayed, then Space wraps round
  const UINT Code = SendMessageA(Box->EditHandle(), WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(Code & DLGC_WANTARROWS);
  EXPECT_FALSE(Code & DLGC_WANTTAB);
  table->SetOptions({TOvcTblOption::otoTabToArrow});
  EXPECT_TRUE(SendMessageA(Box->EditHandle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  Box->StopEditing(false, nullptr);
}

TEST_F(CellsTest, TablePaintsCheckBoxesFromItsData) {
  Build();
  auto* Box = new TOvcTCCheckBox(form);
  table->SetColumnCell(2, Box);
  std::vector<uint8_t> States(20);
  for (size_t R = 0; R < States.size(); ++R) States[R] = static_cast<uint8_t>(R % 2);
  int Asked = 0;
  table->OnGetCellData = [&](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose P) {
    EXPECT_EQ(P, TOvcCellDataPurpose::cdpForPaint);
    EXPECT_EQ(C, 2);
    ++Asked;
    Data = &States[static_cast<size_t>(R)];
  };
  TRecordingCanvas C(table->ClientWidth(), table->ClientHeight());
  table->PaintTo(&C);
  const auto& RA = table->Layout().RowAxis();
  const int Scrolling = RA.Entries() - RA.FirstScrolling();
  EXPECT_EQ(Asked, Scrolling);
  ASSERT_EQ(C.Count("BrushCopy"), Scrolling);
  // Checked and unchecked rows show different glyphs of the one strip.
  auto Glyph = [&](int32_t Row) {
    const TRect R = CellRect(Row, 2);
    std::vector<TColor> Px;
    for (int Y = R.Top + 6; Y < R.Bottom - 6; ++Y)
      for (int X = R.Left + 2; X < R.Right - 2; ++X) Px.push_back(C.Pixel(X, Y));
    return Px;
  };
  EXPECT_NE(Glyph(1), Glyph(2));
  EXPECT_EQ(Glyph(2), Glyph(4));
  EXPECT_EQ(Glyph(1), Glyph(3));
}

TEST_F(CellsTest, GlyphEditorStaysOnActiveGlyphs) {
  Build();
  auto* Cell = new TOvcTCGlyph(form);
  table->SetColumnCell(3, Cell);
  Cell->CellGlyphs()->SetActiveGlyphCount(2);
  int32_t Value = 5;
  Cell->StartEditing(1, 3, CellRect(1, 3), Attr(), TOvcTblEditorStyle::tes3D, &Value);
  EXPECT_EQ(Cell->EditControl()->Value(), 1);  // the last active glyph, not past it
  SetFocus(Cell->EditHandle());
  testing::PressKey(VK_SPACE);
  Cell->StopEditing(true, &Value);
  EXPECT_EQ(Value, 0);
}

TEST_F(CellsTest, GlyphsPaintFromTheStrip) {
  Build();
  auto* Box = new TOvcTCCheckBox(form);
  TRecordingCanvas C(200, 60);
  const TRect R{0, 0, 60, 30};
  const TOvcCellAttributes A = Attr();
  uint8_t States[] = {cbUnchecked, cbChecked, 7};
  std::vector<TRect> Sources;
  for (uint8_t& S : States) {
    C.Clear();
    Box->PaintCell(&C, R, 1, 1, A, &S);
    const TCanvasRecord* Copy = C.Find("BrushCopy");
    ASSERT_NE(Copy, nullptr);
    // 13-pixel glyphs, centred in the cell.
    EXPECT_EQ(Copy->Rect.Width(), 13);
    EXPECT_EQ(Copy->Rect.Left, (60 - 13) / 2);
    Sources.push_back(Copy->Rect);
  }
  // Nothing without data; the glyph drawn shows in the pixels and differs per state.
  C.Clear();
  Box->PaintCell(&C, R, 1, 1, A, nullptr);
  EXPECT_EQ(C.Find("BrushCopy"), nullptr);
  auto Pixels = [&](uint8_t S) {
    TRecordingCanvas P(60, 30);
    Box->PaintCell(&P, R, 1, 1, A, &S);
    std::vector<TColor> Out;
    for (int Y = 8; Y < 22; ++Y)
      for (int X = 23; X < 37; ++X) Out.push_back(P.Pixel(X, Y));
    return Out;
  };
  EXPECT_NE(Pixels(cbUnchecked), Pixels(cbChecked));
  EXPECT_EQ(Pixels(cbChecked), Pixels(7));  // out of range: the last active glyph

  // A glyph cell given -1 paints no glyph at all.
  auto* Glyphs = new TOvcTCGlyph(form);
  for (int32_t Value : {-1, 0}) {
    C.Clear();
    Glyphs->PaintCell(&C, R, 1, 1, A, &Value);
    EXPECT_EQ(C.Find("BrushCopy") != nullptr, Value == 0) << Value;
  }

  // The bitmap cell: an index past the count is written back as 0.
  auto* Bits = new TOvcTCBitMap(form);
  auto Bm = Strip(48, 16);
  TOvcCellBitMapInfo Info{Bm.get(), 3, 3, 9};
  C.Clear();
  Bits->PaintCell(&C, R, 1, 1, A, &Info);
  EXPECT_EQ(Info.Index, 0);
  ASSERT_NE(C.Find("BrushCopy"), nullptr);
}

TEST_F(CellsTest, ComboCellPaintsAndEditsItsValue) {
  Build();
  auto* Combo = new TOvcTCComboBox(form);
  TStringList Items;
  for (const char* S : {"CHAR", "DATE", "NUMBER", "VARCHAR2"}) Items.Add(S);
  Combo->SetItems(&Items);
  table->SetColumnCell(2, Combo);
  table->SetActiveCell(1, 2);

  // A drop-down cell whose value is not among its items paints and edits that value.
  TOvcCellComboBoxInfo D;
  StoreShortString(D.St, "LONG RAW", 0);
  TRecordingCanvas C(table->ClientWidth(), table->ClientHeight());
  Combo->PaintCell(&C, CellRect(2, 2), 2, 2, Attr(), &D);
  EXPECT_NE(std::find(C.Texts().begin(), C.Texts().end(), "LONG RAW"), C.Texts().end());
  EXPECT_EQ(C.Count("FrameRect"), 0);  // not the active cell: no button
  C.Clear();
  D.Index = 2;
  Combo->PaintCell(&C, CellRect(1, 2), 1, 2, Attr(), &D);
  EXPECT_EQ(C.Texts(), std::vector<std::string>{"NUMBER"});
  EXPECT_EQ(C.Count("FrameRect"), 1);  // the active cell shows the raised button

  D.Index = -1;
  Combo->AutoAdvanceLeftRight = true;
  Combo->StartEditing(1, 2, CellRect(1, 2), Attr(), TOvcTblEditorStyle::tesBorder, &D);
  TOvcTCComboBoxEdit* E = Combo->EditControl();
  ASSERT_NE(E, nullptr);
  EXPECT_EQ(E->Text(), "LONG RAW");
  EXPECT_EQ(E->Items()->Count(), 4);
  HWND Field = E->EditHandle();
  ASSERT_NE(Field, nullptr);
  SetFocus(Field);
  testing::Pump();
  EXPECT_NE(std::find(table->Notices.begin(), table->Notices.end(), ctim_SetFocus),
            table->Notices.end());
  // Typing goes to the field; Enter is swallowed; Right at the end goes to the table.
  E->SetSelStart(0);
  E->SetSelLength(100);
  for (char Ch : std::string("RAW\r")) SendMessageA(Field, WM_CHAR, static_cast<WPARAM>(Ch), 0);
  EXPECT_EQ(E->Text(), "RAW");
  table->Verdict = 1;
  testing::PressKey(VK_RIGHT);  // at the end: the table moves
  testing::PressKey(VK_LEFT);   // not at the start: the field moves its caret
  EXPECT_EQ(table->Keys, std::vector<uint16_t>{VK_RIGHT});
  Combo->StopEditing(true, &D);
  EXPECT_EQ(D.Index, -1);
  EXPECT_EQ(ReadShortString(D.St), "RAW");

  // A list-style cell without SaveStringValue stores only the index.
  Combo->SetStyle(TComboBoxStyle::csDropDownList);
  StoreShortString(D.St, "kept", 0);
  D.Index = 1;
  Combo->StartEditing(1, 2, CellRect(1, 2), Attr(), TOvcTblEditorStyle::tesNormal, &D);
  EXPECT_EQ(Combo->EditControl()->ItemIndex(), 1);
  Combo->EditControl()->SetItemIndex(3);
  Combo->StopEditing(true, &D);
  EXPECT_EQ(D.Index, 3);
  EXPECT_EQ(ReadShortString(D.St), "kept");
  Combo->SaveStringValue = true;
  Combo->StartEditing(1, 2, CellRect(1, 2), Attr(), TOvcTblEditorStyle::tesNormal, &D);
  Combo->StopEditing(true, &D);
  EXPECT_EQ(ReadShortString(D.St), "VARCHAR2");
}

TEST_F(CellsTest, ComboWithRunTimeItemsAndNoList) {
  Build();
  auto* Combo = new TOvcTCComboBox(form);
  Combo->SetUseRunTimeItems(true);
  table->SetColumnCell(2, Combo);
  TOvcCellComboBoxRTInfo D;
  D.Index = 3;  // names an item of a list that is not there
  StoreShortString(D.St, "free text", 0);
  TRecordingCanvas C(300, 100);
  Combo->PaintCell(&C, TRect{0, 0, 150, 30}, 2, 2, Attr(), &D);
  EXPECT_EQ(C.Texts(), std::vector<std::string>{"free text"});
  Combo->StartEditing(2, 2, CellRect(2, 2), Attr(), TOvcTblEditorStyle::tesNormal, &D);
  EXPECT_EQ(Combo->EditControl()->Items()->Count(), 0);
  Combo->StopEditing(true, &D);
  TStringList L;
  L.Add("one");
  L.Add("two");
  D.RTItems = &L;
  D.Index = 1;
  C.Clear();
  Combo->PaintCell(&C, TRect{0, 0, 150, 30}, 2, 2, Attr(), &D);
  EXPECT_EQ(C.Texts(), std::vector<std::string>{"two"});
}

TEST_F(CellsTest, StringEditorHandsMovingKeysToTheTable) {
  Build();
  auto* Cell = new TOvcTCString(form);
  Cell->AutoAdvanceLeftRight = true;
  Cell->AutoAdvanceChar = true;
  Cell->SetMaxLength(4);
  table->SetColumnCell(1, Cell);
  uint8_t Data[256];
  StoreShortString(Data, "ab", 0);
  Cell->StartEditing(1, 1, CellRect(1, 1), Attr(), TOvcTblEditorStyle::tesBorder, Data);
  SetFocus(Cell->EditHandle());
  testing::Pump();
  table->Verdict = 1;
  TOvcTCStringEdit* E = Cell->EditControl();
  E->SetSelStart(1);
  E->SetSelLength(0);
  testing::PressKey(VK_LEFT);  // inside the text: the box moves its caret
  testing::PressKey(VK_LEFT);  // at the start: the table moves
  testing::PressKey(VK_UP);
  testing::PressKey(VK_HOME);
  EXPECT_EQ(table->Keys, (std::vector<uint16_t>{VK_LEFT, VK_UP}));
  // The fourth character fills MaxLength and moves on to the next cell.
  table->Keys.clear();
  E->SetSelStart(2);
  SendMessageA(Cell->EditHandle(), WM_CHAR, 'c', 0);
  testing::Pump();
  EXPECT_TRUE(table->Keys.empty());
  SendMessageA(Cell->EditHandle(), WM_CHAR, 'd', 0);
  testing::Pump();
  EXPECT_EQ(table->Keys, std::vector<uint16_t>{VK_RIGHT});
  // Tab and Enter are wanted only when the table moves by them.
  EXPECT_FALSE(SendMessageA(Cell->EditHandle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  table->SetOptions({TOvcTblOption::otoTabToArrow, TOvcTblOption::otoEnterToArrow});
  const UINT Code = SendMessageA(Cell->EditHandle(), WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(Code & DLGC_WANTTAB);
  EXPECT_TRUE(Code & DLGC_WANTALLKEYS);
  table->Verdict = 2;  // a key the table takes
  ASSERT_EQ(GetFocus(), Cell->EditHandle());
  testing::PressKey('X');
  EXPECT_NE(std::find(table->Keys.begin(), table->Keys.end(), 'X'), table->Keys.end());
  SetFocus(table->Handle());
  Cell->StopEditing(true, Data);
  EXPECT_EQ(ReadShortString(Data), "abcd");
  testing::Pump();
  EXPECT_NE(std::find(table->Notices.begin(), table->Notices.end(), ctim_KillFocus),
            table->Notices.end());
}

TEST_F(CellsTest, OverridesPaintAndFollowColumns) {
  Build();
  auto* Text = new TOvcTCBaseString(form);
  auto* Own = new TOvcTCBaseString(form);
  for (int C = 1; C < 6; ++C) table->SetColumnCell(C, Text);
  std::vector<std::pair<int32_t, int>> Painted;
  uint8_t Value[256];
  table->OnGetCellData = [&](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose) {
    Painted.push_back({R, C});
    StoreShortString(Value, std::to_string(R) + ":" + std::to_string(C), 0);
    Data = Value;
  };
  TOvcCellOverride O;
  O.Color = 0x00336699;
  O.Cell = Own;
  table->CellStore().SetAttributes(3, 3, std::move(O));
  EXPECT_EQ(table->GetCellForPaint(3, 3), Own);
  EXPECT_EQ(Own->UseCount(), 1);
  EXPECT_EQ(Own->Table(), table);
  const TRect R = CellRect(3, 3);
  TRecordingCanvas P(table->ClientWidth(), table->ClientHeight());
  table->PaintTo(&P);
  EXPECT_EQ(P.Pixel(R.Left + 3, R.Top + 3), static_cast<TColor>(0x00336699));
  const TRect N = CellRect(3, 4);
  EXPECT_EQ(P.Pixel(N.Left + 3, N.Top + 3), ColorToRGB(table->Color()));

  // Deleting column 1 moves the override to column 2 with its cell.
  table->Columns().Delete(1);
  EXPECT_EQ(table->CellStore().GetCell(3, 2), Own);
  EXPECT_EQ(table->CellStore().GetCell(3, 3), nullptr);
  // The cell going away takes its overrides' references with it.
  delete Own;
  EXPECT_EQ(table->CellStore().GetCell(3, 2), nullptr);
  EXPECT_NE(table->CellStore().GetAttributes(3, 2), nullptr);  // the colour stays
}

TEST_F(CellsTest, OptionsBorderAndScrollBars) {
  Build();
  table->SetOptions({TOvcTblOption::otoBrowseRow, TOvcTblOption::otoMouseDragSelect});
  EXPECT_TRUE(table->Options().Contains(TOvcTblOption::otoNoSelection));
  EXPECT_FALSE(table->Options().Contains(TOvcTblOption::otoMouseDragSelect));
  EXPECT_EQ(static_cast<uint64_t>(SendMessageA(table->Handle(), ctim_QueryOptions, 0, 0)),
            table->Options().Bits());
  auto Style = [&] { return GetWindowLongA(table->Handle(), GWL_STYLE); };
  EXPECT_TRUE(Style() & WS_VSCROLL);
  table->SetScrollBars(TScrollStyle::ssHorizontal);
  EXPECT_FALSE(Style() & WS_VSCROLL);
  EXPECT_TRUE(Style() & WS_HSCROLL);
  EXPECT_TRUE(GetWindowLongA(table->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  table->SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_FALSE(GetWindowLongA(table->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  table->SetAccess(TOvcTblAccess::otxDefault);
  EXPECT_EQ(table->Access(), TOvcTblAccess::otxNormal);
  table->SetAdjust(TOvcTblAdjust::otaDefault);
  EXPECT_EQ(table->Adjust(), TOvcTblAdjust::otaCenterLeft);
}

TEST_F(CellsTest, ActiveCellFrameFollowsTheFocusAndPens) {
  Build();
  table->SetActiveCell(2, 3);
  const TRect R = CellRect(2, 3);
  auto Frame = [&]() {
    TRecordingCanvas C(table->ClientWidth(), table->ClientHeight());
    table->PaintTo(&C);
    std::vector<TCanvasRecord> Lines;
    // The frame is drawn last: four lines in the focus pen after the cells' grid lines.
    for (const TCanvasRecord& Rec : C.Records())
      if (Rec.Op == "LineTo") Lines.push_back(Rec);
    return std::vector<TCanvasRecord>(Lines.end() - 4, Lines.end());
  };
  SetFocus(table->Handle());
  std::vector<TCanvasRecord> L = Frame();
  for (const auto& Rec : L) {
    EXPECT_EQ(Rec.PenColor, clBlack);
    EXPECT_EQ(Rec.PenStyle, TPenStyle::psSolid);
  }
  // Right edge then bottom edge, on the cell's last column and row of pixels (the normal
  // grid's both-sides effect takes one pixel off each).
  EXPECT_EQ(L[0].X, R.Right - 2);
  EXPECT_EQ(L[1].Y, R.Bottom - 2);
  auto* Other = new TEdit(form);
  Other->SetParent(form);
  Other->SetBounds(0, 340, 100, 20);
  SetFocus(Other->Handle());
  ASSERT_NE(GetFocus(), table->Handle());
  L = Frame();
  EXPECT_EQ(L[0].PenStyle, TPenStyle::psDash);
  table->GridPenSet().CellWhenUnfocused.SetEffect(TGridEffect::ge3D);
  table->GridPenSet().CellWhenUnfocused.SetSecondColor(static_cast<TColor>(0x000000FF));
  L = Frame();
  EXPECT_EQ(L[0].PenColor, clBlack);
  EXPECT_EQ(L[3].PenColor, static_cast<TColor>(0x000000FF));
}

TEST_F(CellsTest, HeadingsMarkTheActiveColumnAndFollowMoves) {
  Build();
  auto* Heads = new TOvcTCColHead(form);
  Heads->SetShowLetters(false);
  TStringList H;
  for (const char* S : {"", "Name", "Type", "Size"}) H.Add(S);
  Heads->SetHeadings(&H);
  table->SetLockedRowsCell(Heads);
  table->Columns().Exchange(1, 2);
  EXPECT_EQ(Heads->Headings()->Strings(1), "Type");
  EXPECT_EQ(Heads->Headings()->Strings(2), "Name");
  Heads->SetShowActiveCol(true);
  table->SetActiveCell(1, 2);
  TRecordingCanvas C(table->ClientWidth(), table->ClientHeight());
  table->PaintTo(&C);
  const auto T = C.Texts();
  EXPECT_NE(std::find(T.begin(), T.end(), "Type"), T.end());
  EXPECT_EQ(std::find(T.begin(), T.end(), "Name"), T.end());  // the active column's heading
  const TCanvasRecord* Tri = C.Find("Polygon");
  ASSERT_NE(Tri, nullptr);
  const TRect R = CellRect(0, 2);
  EXPECT_GE(Tri->Points[0].X, R.Left);
  EXPECT_LE(Tri->Points[1].X, R.Right);
}

TEST_F(CellsTest, CellsFollowTheTablesLookAndScale) {
  Build();
  auto* Cell = new TOvcTCString(form);
  auto* Own = new TOvcTCString(form);
  table->SetColumnCell(1, Cell);
  table->SetColumnCell(2, Own);
  Own->SetColor(static_cast<TColor>(0x00010203));
  Own->Font()->SetSize(20);  // its own font from now on
  EXPECT_FALSE(Own->TableFont());
  table->SetColor(static_cast<TColor>(0x00445566));
  table->Font()->SetName("Liberation Mono");
  EXPECT_EQ(Cell->Color(), static_cast<TColor>(0x00445566));
  EXPECT_EQ(Cell->Font()->Name(), "Liberation Mono");
  EXPECT_TRUE(Cell->TableFont());  // copying the table's font in is not a change of its own
  EXPECT_EQ(Own->Color(), static_cast<TColor>(0x00010203));
  EXPECT_EQ(Own->Font()->Size(), 20);

  table->Rows().SetHeight(4, 40);
  table->ChangeScale(3, 2);
  EXPECT_EQ(table->Rows().DefaultHeight(), 45);
  EXPECT_EQ(table->Rows().GetHeight(4), 60);
  EXPECT_EQ(table->Columns().GetWidth(3), 135);
  EXPECT_EQ(Own->Font()->Size(), 30);  // a cell with its own font scales it
}

TEST(TableCellClasses, CellsStreamOutAndBack) {
  TMemoryStream Stream;
  {
    TForm Form(nullptr);
    Form.SetName("frmTable");
    TOvcTable T(nullptr);  // registers the cell classes
    auto* Box = new TOvcTCCheckBox(&Form);
    Box->SetName("cbxNotNull");
    Box->SetAllowGrayed(true);
    Box->SetAdjust(TOvcTblAdjust::otaCenter);
    auto* Combo = new TOvcTCComboBox(&Form);
    Combo->SetName("cbxType");
    TStringList Items;
    Items.Add("NUMBER");
    Items.Add("CHAR");
    Combo->SetSorted(true);
    Combo->SetItems(&Items);
    Combo->SetStyle(TComboBoxStyle::csDropDownList);
    Combo->SetColor(static_cast<TColor>(0x00123456));
    Combo->AutoAdvanceLeftRight = true;
    auto* Str = new TOvcTCString(&Form);
    Str->SetName("strName");
    Str->SetMaxLength(30);
    Str->SetMargin(6);
    Str->SetHint("Column name");
    auto* Heads = new TOvcTCColHead(&Form);
    Heads->SetName("hdrColumns");
    Heads->SetShowLetters(false);
    Heads->Headings()->Add("Name");
    WriteComponent(&Stream, &Form);
  }
  Stream.SetPosition(0);
  TForm Copy(nullptr);
  ReadComponent(&Stream, &Copy);
  auto* Box = dynamic_cast<TOvcTCCheckBox*>(Copy.FindComponent("cbxNotNull"));
  auto* Combo = dynamic_cast<TOvcTCComboBox*>(Copy.FindComponent("cbxType"));
  auto* Str = dynamic_cast<TOvcTCString*>(Copy.FindComponent("strName"));
  auto* Heads = dynamic_cast<TOvcTCColHead*>(Copy.FindComponent("hdrColumns"));
  ASSERT_TRUE(Box && Combo && Str && Heads);
  EXPECT_TRUE(Box->AllowGrayed());
  EXPECT_EQ(Box->CellGlyphs()->ActiveGlyphCount(), 3);
  EXPECT_EQ(Box->Adjust(), TOvcTblAdjust::otaCenter);
  EXPECT_TRUE(Box->AcceptActivationClick());
  EXPECT_EQ(Combo->Style(), TComboBoxStyle::csDropDownList);
  EXPECT_TRUE(Combo->Sorted());
  ASSERT_EQ(Combo->Items()->Count(), 2);
  EXPECT_EQ(Combo->Items()->Strings(0), "CHAR");
  EXPECT_FALSE(Combo->TableColor());
  EXPECT_EQ(Combo->Color(), static_cast<TColor>(0x00123456));
  EXPECT_TRUE(Combo->AutoAdvanceLeftRight);
  EXPECT_TRUE(Combo->TableFont());
  EXPECT_EQ(Str->MaxLength(), 30);
  EXPECT_EQ(Str->Margin(), 6);
  EXPECT_EQ(Str->Hint(), "Column name");
  EXPECT_FALSE(Heads->ShowLetters());
  EXPECT_EQ(Heads->Headings()->Count(), 1);
  EXPECT_EQ(Heads->Access(), TOvcTblAccess::otxReadOnly);
}

TEST(TableCellClasses, StreamRegistryMakesEveryCell) {
  TForm Owner(nullptr);
  TOvcTable T(&Owner);  // the first table registers the cells
  for (const char* Name : {"TOvcTCString", "TOvcTCColHead", "TOvcTCGlyph", "TOvcTCCheckBox",
                           "TOvcTCBitMap", "TOvcTCComboBox"}) {
    TComponentFactory F = GetComponentClass(Name);
    ASSERT_TRUE(F) << Name;
    TComponent* C = F(&Owner);
    EXPECT_NE(dynamic_cast<TOvcBaseTableCell*>(C), nullptr) << Name;
  }
}

}  // namespace
}  // namespace tess
