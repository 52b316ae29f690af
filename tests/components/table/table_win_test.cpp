// A real table on a fixed-size form: which cells are asked for data when painting and
// scrolling, the heading letters over locked columns, text and pixels of painted cells.
#include <gtest/gtest.h>

#include <set>

#include "components/table/celltext.h"
#include "components/table/stringcell.h"
#include "components/table/table.h"
#include "framework/win/recordcanvas.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;

class TableTest : public FormTest {
 protected:
  void Build(int32_t Rows, int32_t Cols) {
    form->SetBounds(0, 0, 640, 400);
    new TOvcController(form);
    table = new TOvcTable(form);
    table->Font()->SetName("Courier New");
    table->Font()->SetSize(10);
    table->SetParent(form);
    table->SetBounds(0, 0, 600, 330);
    table->SetRowLimit(Rows);
    table->SetColCount(Cols);
    for (int C = 0; C < Cols; ++C) table->Columns().SetWidth(C, 80);
    heads = new TOvcTCColHead(form);
    text = new TOvcTCBaseString(form);
    table->SetLockedRowsCell(heads);
    for (int C = 1; C < Cols; ++C) table->SetColumnCell(C, text);
    table->OnGetCellData = [this](TObject*, int32_t R, int C, void*& Data, TOvcCellDataPurpose P) {
      if (P != TOvcCellDataPurpose::cdpForPaint) return;
      asked.insert({R, C});
      ++calls;
      StoreShortString(value, std::to_string(R) + ":" + std::to_string(C), 0);
      Data = value;
    };
  }
  // The rows and columns that the layout shows.
  std::set<std::pair<int32_t, int>> OnScreen(bool WithCells) {
    std::set<std::pair<int32_t, int>> S;
    const auto& RA = table->Layout().RowAxis();
    const auto& CA = table->Layout().ColAxis();
    for (int I = 0; I < RA.Entries(); ++I)
      for (int J = 0; J < CA.Entries(); ++J)
        if (!WithCells || table->GetCellForPaint(RA.Number(I), CA.Number(J)))
          S.insert({RA.Number(I), CA.Number(J)});
    return S;
  }

  TOvcTable* table = nullptr;
  TOvcTCColHead* heads = nullptr;
  TOvcTCBaseString* text = nullptr;
  std::set<std::pair<int32_t, int>> asked;
  int calls = 0;
  uint8_t value[256] = {};
};

TEST_F(TableTest, PaintsVisibleCellsAndOnlyNewOnesWhenScrolling) {
  Build(1000000, 10);
  ShowForm();
  testing::Pump();
  UpdateWindow(table->Handle());
  testing::Pump();
  // Every cell on screen that has a cell component was asked for once, nothing else.
  EXPECT_EQ(asked, OnScreen(true));
  const int PerScreen = calls;
  ASSERT_GT(PerScreen, 0);
  // At most twice each, and the active cell once more when the table takes the focus.
  EXPECT_LE(PerScreen, static_cast<int>(OnScreen(true).size()) * 2 + 1);

  // One line down: only the row that came into view is asked for.
  asked.clear();
  SendMessageA(table->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  testing::Pump();
  EXPECT_EQ(table->TopRow(), 2);
  std::set<int32_t> RowsAsked;
  for (auto& [R, C] : asked) RowsAsked.insert(R);
  const auto& RA = table->Layout().RowAxis();
  for (int32_t R : RowsAsked) EXPECT_GE(RA.Find(R), RA.Entries() - 2) << R;

  // A thumb drag lands on the mapped row; the bar's range is scaled.
  SCROLLINFO SI{};
  SI.cbSize = sizeof SI;
  SI.fMask = SIF_RANGE | SIF_POS;
  GetScrollInfo(table->Handle(), SB_VERT, &SI);
  EXPECT_EQ(SI.nMin, 1);
  EXPECT_LE(SI.nMax, 1024);
  EXPECT_EQ(SI.nPos, table->Layout().VertThumbPos());
  SendMessageA(table->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  testing::Pump();
  EXPECT_EQ(table->TopRow(), table->Layout().MaxTopRow());
  GetScrollInfo(table->Handle(), SB_VERT, &SI);
  EXPECT_EQ(SI.nPos, SI.nMax);
}

// A paint message under the redraw lock paints nothing and leaves what it covers, the
// area beyond the cells included, for the lock's end.
TEST_F(TableTest, PaintUnderTheLockWaitsForItsEnd) {
  Build(5, 3);
  table->SetColorUnused(static_cast<TColor>(0x00A0B0C0));
  ShowForm();
  testing::Pump();
  HWND H = static_cast<HWND>(table->Handle());
  auto Pixel = [&](int X, int Y) {
    HDC DC = GetDC(H);
    const COLORREF P = GetPixel(DC, X, Y);
    ReleaseDC(H, DC);
    return static_cast<TColor>(P);
  };
  auto Blacken = [&] {
    HDC DC = GetDC(H);
    RECT R{0, 0, 600, 330};
    FillRect(DC, &R, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(H, DC);
  };
  ASSERT_EQ(Pixel(500, 300), static_cast<TColor>(0x00A0B0C0));
  Blacken();
  table->SetAllowRedraw(false);
  InvalidateRect(H, nullptr, FALSE);
  UpdateWindow(H);
  EXPECT_EQ(Pixel(500, 300), clBlack);
  EXPECT_TRUE(table->Layout().InvalidCells().ExtraAreaMarked());
  table->SetAllowRedraw(true);
  EXPECT_EQ(Pixel(500, 300), static_cast<TColor>(0x00A0B0C0));
  EXPECT_NE(Pixel(100, 45), clBlack);  // a cell
}

TEST_F(TableTest, HeadingLettersAndCellTexts) {
  Build(50, 60);
  table->SetLockedCols(2);
  ShowForm();
  testing::Pump();
  TRecordingCanvas C(table->ClientWidth(), table->ClientHeight());
  table->PaintTo(&C);
  const auto Texts = C.Texts();
  auto Has = [&](const std::string& S) {
    return std::find(Texts.begin(), Texts.end(), S) != Texts.end();
  };
  EXPECT_TRUE(Has("A"));  // over column 2, the first scrolling one
  EXPECT_TRUE(Has("B"));
  EXPECT_FALSE(Has("Z"));
  EXPECT_TRUE(Has("1:2"));
  EXPECT_FALSE(Has("0:2"));  // the heading row is painted by the heading cell
  // Scrolled right, the letters follow the column numbers: AZ over 53, BA over 54.
  table->SetLeftCol(53);
  C.Clear();
  table->PaintTo(&C);
  const auto T2 = C.Texts();
  EXPECT_NE(std::find(T2.begin(), T2.end(), "AZ"), T2.end());
  EXPECT_NE(std::find(T2.begin(), T2.end(), "BA"), T2.end());

  // Pixels: a locked cell in the locked colour, the unused area in ColorUnused.
  table->Colors().Set(&TOvcTableColors::Locked, static_cast<TColor>(0x00336699));
  table->SetColorUnused(static_cast<TColor>(0x00CC00CC));
  table->SetRowLimit(3);
  TRecordingCanvas P(table->ClientWidth(), table->ClientHeight());
  table->PaintTo(&P);
  EXPECT_EQ(P.Pixel(100, 5), static_cast<TColor>(0x00336699));  // the heading row
  EXPECT_EQ(P.Pixel(40, table->ClientHeight() - 5), static_cast<TColor>(0x00CC00CC));
}

TEST_F(TableTest, CellFollowsTableColourOnlyOnceTheWindowExists) {
  Build(20, 5);
  table->SetColor(static_cast<TColor>(0x00112233));
  auto* cell = new TOvcTCBaseString(form);
  cell->SetTable(table);
  EXPECT_EQ(cell->Color(), clBtnFace);  // no window: the fetch stays pending
  ShowForm();
  testing::Pump();
  EXPECT_EQ(cell->Color(), static_cast<TColor>(0x00112233));
  int notices = 0;
  cell->OnCfgChanged = [&](TObject*) { ++notices; };
  cell->SetMargin(-1);
  cell->SetMargin(4);
  EXPECT_EQ(notices, 0);
  TOvcCellAttributes A;
  TOvcTCBaseString lone(nullptr);
  lone.ResolveAttributes(0, 0, A);
  EXPECT_EQ(A.Adjust, TOvcTblAdjust::otaCenterLeft);
  EXPECT_EQ(A.Access, TOvcTblAccess::otxNormal);
}

TEST_F(TableTest, StringEditorTakesTextAndGivesItBack) {
  Build(20, 5);
  ShowForm();
  testing::Pump();
  auto* cell = new TOvcTCString(form);
  table->SetColumnCell(2, cell);
  uint8_t data[256];
  StoreShortString(data, "old", 0);
  TOvcCellAttributes A;
  cell->StartEditing(1, 2, TRect{160, 30, 240, 60}, A, TOvcTblEditorStyle::tesBorder, data);
  ASSERT_NE(cell->EditHandle(), nullptr);
  EXPECT_EQ(cell->EditControl()->Text(), "old");
  // Typed characters land in the box; Enter is swallowed.
  SetFocus(cell->EditHandle());
  cell->EditControl()->SetSelStart(3);  // after the focus selected everything
  cell->EditControl()->SetSelLength(0);
  for (char ch : std::string("ab\rc"))
    SendMessageA(cell->EditHandle(), WM_CHAR, static_cast<WPARAM>(ch), 0);
  EXPECT_EQ(cell->EditControl()->Text(), "oldabc");
  // MaxLength 0 stores the whole text (no limit of its own), never more than 255.
  cell->EditControl()->SetText(std::string(300, 'x'));
  cell->SaveEditedData(data);
  EXPECT_EQ(ReadShortString(data).size(), 255u);
  cell->StopEditing(false, nullptr);
  EXPECT_EQ(cell->EditHandle(), nullptr);

  cell->SetMaxLength(254);
  cell->StartEditing(1, 2, TRect{160, 30, 240, 60}, A, TOvcTblEditorStyle::tesNormal, nullptr);
  cell->EditControl()->SetText(std::string(300, 'y'));
  cell->StopEditing(true, data);
  EXPECT_EQ(ReadShortString(data), std::string(254, 'y'));

  // A null-terminated buffer holds MaxLength characters and the terminator, no more:
  // MaxLength 0 leaves room for the terminator alone, and a MaxLength beyond a short
  // string's 255 is the limit of the box and of what is stored.
  cell->UseASCIIZStrings = true;
  const std::string typed = "hello world" + std::string(400, 'z');
  for (uint16_t Max : {0, 3, 300}) {
    cell->SetMaxLength(Max);
    std::string room(Max + 1u + 8u, '#');
    cell->StartEditing(1, 2, TRect{160, 30, 240, 60}, A, TOvcTblEditorStyle::tesNormal, nullptr);
    if (Max > 0) {
      EXPECT_EQ(cell->EditControl()->MaxLength(), Max);
    }
    cell->EditControl()->SetText(typed);
    cell->StopEditing(true, room.data());
    EXPECT_EQ(std::string(room.c_str()), typed.substr(0, Max)) << Max;
    EXPECT_EQ(room.substr(Max + 1u), std::string(8, '#')) << Max;
  }
}

}  // namespace
}  // namespace tess
