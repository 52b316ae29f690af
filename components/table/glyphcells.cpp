// The bitmap, glyph and check-box cells and the glyph editor.
#include "components/table/glyphcells.h"

#include <algorithm>
#include <cstring>

#include "components/table/celltext.h"
#include "components/table/stringcell.h"
#include "platform/win32.h"

namespace tess {

// ---- bitmap cell ----------------------------------------------------------------------

void TOvcTCBaseBitMap::PaintGlyph(TCanvas* C, const TRect& CellRect, const TOvcCellAttributes& A,
                                  TBitmap* BM, int32_t Count, int32_t Index) {
  if (!BM || BM->Empty() || Index < 0) return;
  int32_t GlyphWidth = BM->Width();
  if (Count > 1) {
    GlyphWidth = BM->Width() / Count;
    if (Index >= Count) Index = 0;
  } else {
    Index = 0;
  }
  const int32_t M = Margin();
  const int32_t W = std::min(GlyphWidth, CellRect.Width() - 2 * M);
  const int32_t H = std::min(BM->Height(), CellRect.Height() - 2 * M);
  if (W <= 0 || H <= 0) return;
  const TRect Src{Index * GlyphWidth, 0, Index * GlyphWidth + W, H};
  const TColor Transparent = BM->Canvas()->Pixel(Src.Left, BM->Height() - 1);
  int32_t X = CellRect.Left + (CellRect.Width() - W) / 2;
  int32_t Y = CellRect.Top + (CellRect.Height() - H) / 2;
  switch (A.Adjust) {
    case TOvcTblAdjust::otaTopLeft:
    case TOvcTblAdjust::otaCenterLeft:
    case TOvcTblAdjust::otaBottomLeft:
      X = CellRect.Left + M;
      break;
    case TOvcTblAdjust::otaTopRight:
    case TOvcTblAdjust::otaCenterRight:
    case TOvcTblAdjust::otaBottomRight:
      X = CellRect.Right - M - W;
      break;
    default:
      break;
  }
  if (A.Adjust >= TOvcTblAdjust::otaTopLeft && A.Adjust <= TOvcTblAdjust::otaTopRight)
    Y = CellRect.Top + M;
  if (A.Adjust >= TOvcTblAdjust::otaBottomLeft) Y = CellRect.Bottom - M - H;
  C->Brush()->SetColor(A.Color);
  C->BrushCopy(TRect{X, Y, X + W, Y + H}, BM, Src, Transparent);
}

void TOvcTCBaseBitMap::Paint(TCanvas* C, const TRect& CellRect, int32_t RowNum, int ColNum,
                             const TOvcCellAttributes& A, void* Data) {
  TOvcBaseTableCell::Paint(C, CellRect, RowNum, ColNum, A, Data);
  auto* Info = static_cast<TOvcCellBitMapInfo*>(Data);
  if (!Info || Info->Index == -1 || A.Access == TOvcTblAccess::otxInvisible) return;
  if (Info->Count > 1 && (Info->Index >= Info->Count || Info->Index < 0)) Info->Index = 0;
  PaintGlyph(C, CellRect, A, Info->BM, Info->Count, Info->Index);
}

// ---- glyph editor ---------------------------------------------------------------------

TOvcTCGlyphEdit::TOvcTCGlyphEdit(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() - TControlStyleFlag::csDoubleClicks);
}

void TOvcTCGlyphEdit::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  P.WindowClass.style &= ~static_cast<uint32_t>(CS_DBLCLKS);
}

void TOvcTCGlyphEdit::SetValue(int32_t Value) {
  const int32_t Active = CellOwner ? CellOwner->CellGlyphs()->ActiveGlyphCount() : 1;
  Value = ClampedGlyph(Value, Active);
  if (Value == value_) return;
  value_ = Value;
  Invalidate();
}

TOvcTCGlyphEdit::~TOvcTCGlyphEdit() {
  if (CellOwner) CellOwner->EditorFreed(this);
}

void TOvcTCGlyphEdit::Step(int Direction) {
  if (!CellOwner) return;
  SetValue(CycledGlyph(value_, CellOwner->CellGlyphs()->ActiveGlyphCount(), Direction));
}

void TOvcTCGlyphEdit::Paint() {
  if (!CellOwner) return;
  int32_t V = value_;
  CellOwner->PaintCell(Canvas(), ClientRect(), Row, ColNum, CellAttr, &V);
}

void TOvcTCGlyphEdit::Dispatch(TMessage& M) {
  if (!CellOwner) return TCustomControl::Dispatch(M);
  // The cell's events run in the editor (handed to it): a handler may free the editor.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_KEYDOWN: {
      const uint8_t Verdict = CellOwner->FilterTableKey(M);
      if (EditorPassesKey(TCellEditorKind::Glyph, Verdict, static_cast<uint16_t>(M.WParam), false,
                          TEditCaret{})) {
        CellOwner->PostKeyToTable(M.WParam, M.LParam);
        return;
      }
      TCustomControl::Dispatch(M);
      if (!watch.Alive()) return;
      if (M.WParam == VK_SPACE) Step(1);
      if (M.WParam == VK_BACK) Step(-1);
      return;
    }
    case WM_LBUTTONDOWN:
      Step(1);
      break;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | TableWantsKeys(CellOwner, true);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(M);
      if (watch.Alive())
        CellOwner->PostFocusToTable(M.Msg == WM_SETFOCUS ? ctim_SetFocus : ctim_KillFocus,
                                    reinterpret_cast<HWnd>(M.WParam));
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(M);
}

// ---- glyph cell -----------------------------------------------------------------------

TOvcTCCustomGlyph::TOvcTCCustomGlyph(TComponent* AOwner)
    : TOvcTCBaseBitMap(AOwner), glyphs_(std::make_unique<TOvcCellGlyphs>()) {
  SetAcceptActivationClick(true);
  glyphs_->OnChange = [this](TObject*) {
    GlyphsChanged();
    NotifyChanged();
  };
}

TOvcTCCustomGlyph::~TOvcTCCustomGlyph() {
  if (editor_) StopEditing(false, nullptr);
  glyphs_->OnChange = nullptr;
}

void TOvcTCCustomGlyph::PublishProperties(TPropertyList& P) {
  TOvcTCBaseBitMap::PublishProperties(P);
  P.Object("CellGlyphs", [this] { return glyphs_.get(); });
}

void TOvcTCCustomGlyph::SetCellGlyphs(TOvcCellGlyphs* Value) {
  if (Value && AcceptGlyphs(Value)) glyphs_->Assign(Value);
}

int32_t TOvcTCCustomGlyph::ReadValue(const void* Data) const {
  int32_t V;
  std::memcpy(&V, Data, sizeof V);
  return V;
}

void TOvcTCCustomGlyph::WriteValue(void* Data, int32_t Value) const {
  std::memcpy(Data, &Value, sizeof Value);
}

void TOvcTCCustomGlyph::PaintIndex(TCanvas* C, const TRect& CellRect, int32_t,
                                   const TOvcCellAttributes& A, const void* Data) {
  if (!Data || A.Access == TOvcTblAccess::otxInvisible) return;
  // -1 (any value below 0) is no glyph at all.
  const int32_t Value = ReadValue(Data);
  if (Value < 0) return;
  const int32_t Index = ClampedGlyph(Value, glyphs_->ActiveGlyphCount());
  PaintGlyph(C, CellRect, A, glyphs_->BitMap(), glyphs_->GlyphCount(), Index);
}

void TOvcTCCustomGlyph::Paint(TCanvas* C, const TRect& CellRect, int32_t RowNum, int ColNum,
                              const TOvcCellAttributes& A, void* Data) {
  TOvcBaseTableCell::Paint(C, CellRect, RowNum, ColNum, A, Data);
  PaintIndex(C, CellRect, RowNum, A, Data);
}

TOvcTCGlyphEdit* TOvcTCCustomGlyph::CreateEditControl(TComponent* AOwner) {
  return new TOvcTCGlyphEdit(AOwner);
}

void TOvcTCCustomGlyph::StartEditing(int32_t RowNum, int ColNum, const TRect& R,
                                     const TOvcCellAttributes& A, TOvcTblEditorStyle Style,
                                     void* Data) {
  if (editor_ || !Table()) return;
  editor_ = CreateEditControl(Table());
  editor_->CellOwner = this;
  editor_->SetValue(Data ? ReadValue(Data) : 0);
  editor_->Row = RowNum;
  editor_->ColNum = ColNum;
  editor_->CellAttr = A;
  editor_->SetColor(A.Color);
  editor_->SetCtl3D(Style == TOvcTblEditorStyle::tes3D);
  editor_->SetBounds(R.Left, R.Top, R.Width(), R.Height());
  HandEventsTo(editor_);
  editor_->SetTabStop(false);
  editor_->SetParent(Table());
  editor_->SetVisible(true);
}

void TOvcTCCustomGlyph::SaveEditedData(void* Data) {
  if (editor_ && Data) WriteValue(Data, editor_->Value());
}

void TOvcTCCustomGlyph::StopEditing(bool SaveValue, void* Data) {
  if (!editor_) return;
  if (SaveValue) SaveEditedData(Data);
  std::unique_ptr<TOvcTCGlyphEdit> Gone(editor_);
  editor_ = nullptr;
}

// ---- check box ------------------------------------------------------------------------

TOvcTCCustomCheckBox::TOvcTCCustomCheckBox(TComponent* AOwner) : TOvcTCCustomGlyph(AOwner) {
  if (CellGlyphs()->GlyphCount() == 3) CellGlyphs()->SetActiveGlyphCount(2);
}

void TOvcTCCustomCheckBox::SetAllowGrayed(bool Value) {
  allow_grayed_ = Value;
  CellGlyphs()->SetActiveGlyphCount(Value ? 3 : 2);
  NotifyChanged();
}

void TOvcTCCustomCheckBox::PublishProperties(TPropertyList& P) {
  TOvcTCCustomGlyph::PublishProperties(P);
  P.Boolean(
       "AllowGrayed", [this] { return allow_grayed_; }, [this](bool v) { SetAllowGrayed(v); })
      .Default(false);
}

bool TOvcTCCustomCheckBox::AcceptGlyphs(TOvcCellGlyphs* Glyphs) {
  return Glyphs && Glyphs->GlyphCount() == 3;
}

void TOvcTCCustomCheckBox::GlyphsChanged() {
  if (CellGlyphs()->GlyphCount() < 3) return;
  const int32_t Want = allow_grayed_ ? 3 : 2;
  if (CellGlyphs()->ActiveGlyphCount() != Want) CellGlyphs()->SetActiveGlyphCount(Want);
}

int32_t TOvcTCCustomCheckBox::ReadValue(const void* Data) const {
  return *static_cast<const uint8_t*>(Data);
}

void TOvcTCCustomCheckBox::WriteValue(void* Data, int32_t Value) const {
  *static_cast<uint8_t*>(Data) = static_cast<uint8_t>(Value & 0xFF);
}

}  // namespace tess
