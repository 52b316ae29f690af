// The table's layout, limits, scroll-bar mapping, fast scrolling and redraw lock.
#include "components/table/tablelayout.h"

#include <algorithm>
#include <cassert>
#include <exception>

namespace tess {

// ---- one direction --------------------------------------------------------------------

TOvcTableAxis::TOvcTableAxis(const TOvcTableExtents& E) : ext_(E) {
  ResizeDisplayArray(disp_, 11);
  disp_->Ay[0] = {0, 0};
}

void TOvcTableAxis::Append(int32_t Number, int32_t Off) {
  // One slot more than the entries holds the total extent.
  if (disp_->Count + 1u >= disp_->AllocNm)
    ResizeDisplayArray(disp_, static_cast<uint16_t>(disp_->AllocNm + 16));
  disp_->Ay[disp_->Count] = {Number, Off};
  ++disp_->Count;
}

void TOvcTableAxis::Build(int32_t Client) {
  disp_->Count = 0;
  int32_t Off = 0;
  const int32_t N = Count();
  for (int32_t I = 0; I < Locked && I < N && Off < Client; ++I)
    if (!ext_.ExtentHidden(I)) {
      Append(I, Off);
      Off += ext_.ExtentSize(I);
    }
  for (int32_t I = First; I < N && Off < Client; ++I)
    if (!ext_.ExtentHidden(I)) {
      Append(I, Off);
      Off += ext_.ExtentSize(I);
    }
  disp_->Ay[disp_->Count] = {-1, Off};
}

int32_t TOvcTableAxis::Inc(int32_t N, int Direction) const {
  const int32_t C = Count();
  if (N < Locked || N >= C) N = Locked;
  if (!ext_.MayHide()) {
    if (Direction > 0) return N + 1 < C ? N + 1 : N;
    if (Direction < 0) return N - 1 >= Locked ? N - 1 : N;
    return N;
  }
  if (Direction == 0 && !ext_.ExtentHidden(N)) return N;
  if (Direction >= 0)
    for (int32_t I = N + 1; I < C; ++I)
      if (!ext_.ExtentHidden(I)) return I;
  if (Direction <= 0)
    for (int32_t I = N - 1; I >= Locked; --I)
      if (!ext_.ExtentHidden(I)) return I;
  return N;
}

int TOvcTableAxis::Find(int32_t N) const {
  const auto Begin = disp_->Ay.begin(), End = Begin + disp_->Count;
  auto It = std::lower_bound(Begin, End, N,
                             [](const TOvcTblDisplayEntry& E, int32_t V) { return E.Number < V; });
  return (It != End && It->Number == N) ? static_cast<int>(It - Begin) : -1;
}

int TOvcTableAxis::FirstScrolling() const {
  const auto Begin = disp_->Ay.begin(), End = Begin + disp_->Count;
  return static_cast<int>(
      std::lower_bound(Begin, End, Locked,
                       [](const TOvcTblDisplayEntry& E, int32_t V) { return E.Number < V; }) -
      Begin);
}

int TOvcTableAxis::IndexAt(int32_t P) const {
  if (P < 0 || disp_->Count == 0) return -1;
  const auto Begin = disp_->Ay.begin(), End = Begin + disp_->Count;
  auto It = std::upper_bound(Begin, End, P,
                             [](int32_t V, const TOvcTblDisplayEntry& E) { return V < E.Offset; });
  if (It == Begin) return -1;
  const int I = static_cast<int>(It - Begin) - 1;
  return P < Offset(I + 1) ? I : -1;
}

void TOvcTableAxis::CalcMax(int32_t Client) {
  const int32_t C = Count();
  if (C <= Locked) {
    Max = Locked;
    return;
  }
  int32_t Avail = Client;
  for (int32_t I = 0; I < Locked; ++I)
    if (!ext_.ExtentHidden(I)) Avail -= ext_.ExtentSize(I);
  int32_t M = Inc(C - 1, 0);
  int32_t Used = ext_.ExtentSize(M);
  if (Used <= Avail) {
    // Walk back while the entries from the previous one on still fit.
    for (;;) {
      const int32_t P = Inc(M, -1);
      if (P == M || Used + ext_.ExtentSize(P) > Avail) break;
      Used += ext_.ExtentSize(P);
      M = P;
    }
  }
  Max = M;
  if (First > Max) First = Max;
}

int32_t TOvcTableAxis::VisibleBefore(int32_t N) const {
  if (!ext_.MayHide()) return std::max(0, N - Locked);
  int32_t K = 0;
  for (int32_t I = Locked; I < N; ++I) K += !ext_.ExtentHidden(I);
  return K;
}

int32_t TOvcTableAxis::NthVisible(int32_t K) const {
  if (!ext_.MayHide()) return std::min(Locked + std::max(0, K), Count() - 1);
  int32_t Last = Locked;
  for (int32_t I = Locked; I < Count(); ++I)
    if (!ext_.ExtentHidden(I)) {
      if (K-- == 0) return I;
      Last = I;
    }
  return Last;
}

// ---- the layout -----------------------------------------------------------------------

TOvcTableRedrawLock::TOvcTableRedrawLock(TOvcTableLayout& L) : l_(L), layout_(L.LifeMark()) {
  l_.SetAllowRedraw(false);
}

TOvcTableRedrawLock::~TOvcTableRedrawLock() noexcept(false) {
  if (!layout_.Alive()) return;
  if (std::uncaught_exceptions() > 0) {
    // Left by an exception: the paint is still tried, but nothing more can be thrown.
    try {
      l_.SetAllowRedraw(true);
    } catch (...) {
    }
    return;
  }
  l_.SetAllowRedraw(true);
}

class TOvcTableLayout::Lock : public TOvcTableRedrawLock {
 public:
  using TOvcTableRedrawLock::TOvcTableRedrawLock;
};

TOvcTableLayout::TOvcTableLayout(TOvcTableHost& Host, TOvcTableRows& Rows,
                                 TOvcTableColumns& Columns)
    : host_(Host), rows_(Rows), cols_(Columns), r_(Rows), c_(Columns) {
  KeepLeastCounts();
}

// A scrolling row and column always remain: the lists never shrink into the locked ones.
void TOvcTableLayout::KeepLeastCounts() {
  rows_.SetLeastCount(r_.Locked + 1);
  cols_.SetLeastCount(c_.Locked + 1);
}

void TOvcTableLayout::RecalcLimits() {
  const int32_t H = host_.ViewHeight(), W = host_.ViewWidth();
  built_w_ = W;
  built_h_ = H;
  r_.CalcMax(H);
  c_.CalcMax(W);
  r_.First = std::min(r_.Inc(r_.First, 0), r_.Max);
  c_.First = std::min(c_.Inc(c_.First, 0), c_.Max);
  r_.Build(H);
  c_.Build(W);
}

void TOvcTableLayout::WindowCreated() {
  lock_ = 0;
  // A locked count set before the window existed may no longer fit the rows or columns.
  r_.Locked = std::clamp(r_.Locked, 0, std::max(0, RowLimit() - 1));
  c_.Locked = std::clamp(c_.Locked, 0, std::max(0, ColCount() - 1));
  KeepLeastCounts();
  RecalcLimits();
  active_row_ = r_.Inc(active_row_, 0);
  active_col_ = c_.Inc(active_col_, 0);
  UpdateScrollRanges();
  UpdateScrollPositions();
  // A new window is painted whole by its first paint message.
  invalid_.Clear();
  if (OnTopLeftCellChanged) OnTopLeftCellChanged(r_.First, c_.First);
}

void TOvcTableLayout::SizeChanged() {
  if (!host_.HasWindow()) return;
  Lock L(*this);
  RecalcLimits();
  UpdateScrollRanges();
  UpdateScrollPositions();
  InvalidateTable();
}

void TOvcTableLayout::CheckSize() {
  if (host_.ViewWidth() != built_w_ || host_.ViewHeight() != built_h_) SizeChanged();
}

void TOvcTableLayout::ExtentsChanged() {
  Lock L(*this);
  RecalcLimits();
  if (active_row_ >= RowLimit()) active_row_ = RowLimit() - 1;
  if (active_col_ >= ColCount()) active_col_ = ColCount() - 1;
  if (!hold_active_) {
    active_row_ = r_.Inc(active_row_, 0);
    active_col_ = c_.Inc(active_col_, 0);
  }
  UpdateScrollRanges();
  UpdateScrollPositions();
  InvalidateTable();
}

void TOvcTableLayout::SetRowLimit(int32_t Value) {
  if (Value == RowLimit() || Value <= r_.Locked) return;
  rows_.SetCount(Value);
  ExtentsChanged();
}

void TOvcTableLayout::SetColCount(int32_t Value) {
  if (Value == ColCount() || Value <= c_.Locked) return;
  cols_.SetCount(Value);
  ExtentsChanged();
}

void TOvcTableLayout::SetLockedRows(int32_t Value) {
  if (Value < 0 || Value >= RowLimit() || Value == r_.Locked) return;
  if (OnLockedChanging) OnLockedChanging();
  r_.Locked = Value;
  LockedChanged();
}

void TOvcTableLayout::SetLockedCols(int32_t Value) {
  if (Value < 0 || Value >= ColCount() || Value == c_.Locked) return;
  if (OnLockedChanging) OnLockedChanging();
  c_.Locked = Value;
  LockedChanged();
}

void TOvcTableLayout::LockedChanged() {
  KeepLeastCounts();
  if (!host_.HasWindow()) return;
  hold_active_ = true;
  ExtentsChanged();
  hold_active_ = false;
}

void TOvcTableLayout::SetActiveCell(int32_t RowNum, int32_t ColNum) {
  RowNum = r_.Inc(RowNum, 0);
  ColNum = c_.Inc(ColNum, 0);
  if (RowNum == active_row_ && ColNum == active_col_) return;
  Lock L(*this);
  InvalidateCell(active_row_, active_col_);
  active_row_ = RowNum;
  active_col_ = ColNum;
  InvalidateCell(active_row_, active_col_);
}

void TOvcTableLayout::SetTopLeftCell(int32_t RowNum, int32_t ColNum) {
  // The hook's answer is held to the same limits as the arguments.
  auto Clamp = [this](int32_t& R, int32_t& C) {
    R = r_.Inc(std::min(R, r_.Max), 0);
    C = c_.Inc(std::min(C, c_.Max), 0);
  };
  Clamp(RowNum, ColNum);
  if (OnTopLeftCellChanging) {
    OnTopLeftCellChanging(RowNum, ColNum);
    Clamp(RowNum, ColNum);
  }
  if (!host_.HasWindow()) {
    r_.First = RowNum;
    c_.First = ColNum;
    return;
  }
  if (RowNum == r_.First && ColNum == c_.First) return;
  {
    Lock L(*this);
    ScrollAxis(true, RowNum);
    ScrollAxis(false, ColNum);
  }
  UpdateScrollPositions();
  if (OnTopLeftCellChanged) OnTopLeftCellChanged(r_.First, c_.First);
}

// Scrolls one direction: when part of the old view stays on screen its pixels move and
// only what came into view is marked; otherwise every scrolling line is marked.
void TOvcTableLayout::ScrollAxis(bool Vertical, int32_t NewFirst) {
  TOvcTableAxis& A = Vertical ? r_ : c_;
  if (NewFirst == A.First) return;
  const int32_t Client = Vertical ? host_.ViewHeight() : host_.ViewWidth();
  const int32_t Start = A.ScrollingStart();
  auto Scroll = [&](int32_t Shift) {
    TOvcTableRect Clip{0, 0, host_.ViewWidth(), host_.ViewHeight()};
    (Vertical ? Clip.Top : Clip.Left) = Start;
    host_.ScrollRect(Vertical ? 0 : Shift, Vertical ? Shift : 0, Clip);
    // The uncovered strip crosses the unused area beside the other direction's cells.
    const TOvcTableAxis& Other = Vertical ? c_ : r_;
    if (Other.TotalExtent() < (Vertical ? host_.ViewWidth() : host_.ViewHeight()))
      invalid_.MarkExtraArea();
  };
  if (NewFirst > A.First) {
    const int I = A.Find(NewFirst);
    if (I >= 0 && A.Offset(I) + A.Size(I) <= Client) {
      const int32_t Shift = A.Offset(I) - Start;
      const int32_t OldEnd = std::min(A.TotalExtent(), Client);
      const bool UnusedSeen = A.TotalExtent() < Client;
      Scroll(-Shift);
      A.First = NewFirst;
      A.Build(Client);
      // The end of the cells may now lie inside the uncovered strip.
      if (A.TotalExtent() < Client) invalid_.MarkExtraArea();
      for (int J = A.FirstScrolling(); J < A.Entries(); ++J)
        if (A.Offset(J) + A.Size(J) > OldEnd - Shift) InvalidateLine(Vertical, J);
      if (UnusedSeen) invalid_.MarkExtraArea();
      return;
    }
  } else {
    const int32_t OldFirst = A.First;
    A.First = NewFirst;
    A.Build(Client);
    const int I = A.Find(OldFirst);
    if (I >= 0 && A.Offset(I) < Client) {
      const int32_t Shift = A.Offset(I) - Start;
      Scroll(Shift);
      for (int J = A.FirstScrolling(); J < A.Entries() && A.Offset(J) < Start + Shift; ++J)
        InvalidateLine(Vertical, J);
      return;
    }
  }
  A.First = NewFirst;
  A.Build(Client);
  for (int J = A.FirstScrolling(); J < A.Entries(); ++J) InvalidateLine(Vertical, J);
  invalid_.MarkExtraArea();
}

void TOvcTableLayout::InvalidateLine(bool Vertical, int Index) {
  if (Vertical) {
    const int32_t Row = r_.Number(Index);
    for (int C = 0; C < c_.Entries(); ++C) invalid_.AddCell(Row, c_.Number(C));
  } else {
    const int32_t Col = c_.Number(Index);
    for (int R = 0; R < r_.Entries(); ++R) invalid_.AddCell(r_.Number(R), Col);
  }
}

void TOvcTableLayout::InvalidateCell(int32_t RowNum, int32_t ColNum) {
  if (FindRow(RowNum) >= 0 && FindCol(ColNum) >= 0) invalid_.AddCell(RowNum, ColNum);
}

void TOvcTableLayout::InvalidateRow(int32_t RowNum) {
  const int I = FindRow(RowNum);
  if (I >= 0) InvalidateLine(true, I);
}

void TOvcTableLayout::InvalidateColumn(int32_t ColNum) {
  const int I = FindCol(ColNum);
  if (I >= 0) InvalidateLine(false, I);
}

void TOvcTableLayout::InvalidateTable() {
  for (int R = 0; R < r_.Entries(); ++R) InvalidateLine(true, R);
  invalid_.MarkExtraArea();
}

void TOvcTableLayout::SetAllowRedraw(bool Value) {
  if (!Value) {
    if (++lock_ == 1 && host_.HasWindow()) host_.RedrawLockTaken();
    return;
  }
  if (--lock_ > 0) return;
  lock_ = 0;
  if (pos_pending_) UpdateScrollPositions();
  if (host_.HasWindow()) host_.RedrawLockEnding();
  if (host_.HasWindow() && !invalid_.IsEmpty()) host_.PaintInvalidCells(invalid_);
  invalid_.Clear();
  if (host_.HasWindow()) host_.RedrawLockReleased();
}

uint8_t TOvcTableLayout::HitTest(int32_t X, int32_t Y, int32_t& RowNum, int32_t& ColNum) const {
  const int CI = c_.IndexAt(X), RI = r_.IndexAt(Y);
  ColNum = X < 0 ? -2 : (CI < 0 ? -1 : c_.Number(CI));
  RowNum = Y < 0 ? -2 : (RI < 0 ? -1 : r_.Number(RI));
  if (X < 0 || Y < 0 || X >= host_.ViewWidth() || Y >= host_.ViewHeight()) return 3;
  if (RowNum < 0 || ColNum < 0) return 2;
  return (RowNum < r_.Locked || ColNum < c_.Locked) ? 1 : 0;
}

bool TOvcTableLayout::GetCellRect(int32_t RowNum, int32_t ColNum, TOvcTableRect& R) const {
  const int RI = FindRow(RowNum), CI = FindCol(ColNum);
  if (RI < 0 || CI < 0) return false;
  R = {c_.Offset(CI), r_.Offset(RI), c_.Offset(CI) + c_.Size(CI), r_.Offset(RI) + r_.Size(RI)};
  return true;
}

// One 32-bit divisor serves both ways, so a thumb position maps to a row that maps back
// to the same position at any row count.
int32_t TOvcTableLayout::VertDivisor() const {
  return r_.Max / 1024 + 1;
}

void TOvcTableLayout::VertScrollRange(int32_t& Min, int32_t& Max) const {
  Min = r_.Locked;
  if (r_.Max < ScaledThumbRows) {
    bool AnyVisible = !rows_.MayHide();
    for (int32_t R = r_.Locked; !AnyVisible && R < r_.Max; ++R) AnyVisible = !r_.Hidden(R);
    Max = AnyVisible ? r_.Max : r_.Locked;
  } else {
    Max = std::max(r_.Locked, r_.Max / VertDivisor());
  }
}

int32_t TOvcTableLayout::VertThumbPos() const {
  if (r_.Max < ScaledThumbRows) return r_.First;
  return std::max(r_.Locked, r_.First / VertDivisor());
}

int32_t TOvcTableLayout::RowForThumb(int32_t Pos) const {
  if (Pos == VertThumbPos()) return r_.First;
  int32_t Min, Max;
  VertScrollRange(Min, Max);
  Pos = std::clamp(Pos, Min, Max);
  int32_t Row;
  if (r_.Max < ScaledThumbRows)
    Row = Pos;
  else if (Pos == Min)
    Row = r_.Locked;
  else if (Pos == Max)
    Row = r_.Max;
  else
    Row = static_cast<int32_t>(std::min<int64_t>(int64_t{Pos} * VertDivisor(), r_.Max));
  return std::min(r_.Inc(Row, 0), r_.Max);
}

void TOvcTableLayout::HorzScrollRange(int32_t& Min, int32_t& Max) const {
  Min = 0;
  Max = std::max(0, c_.VisibleBefore(c_.Max + 1) - 1);
}

int32_t TOvcTableLayout::HorzThumbPos() const {
  return c_.VisibleBefore(c_.First);
}

int32_t TOvcTableLayout::ColForThumb(int32_t Pos) const {
  return std::min(c_.NthVisible(Pos), c_.Max);
}

void TOvcTableLayout::UpdateScrollRanges() {
  if (!host_.HasWindow()) return;
  int32_t Min, Max;
  if (host_.HasScrollBar(false)) {
    HorzScrollRange(Min, Max);
    host_.SetScrollRange(false, Min, Max);
  }
  if (host_.HasScrollBar(true)) {
    VertScrollRange(Min, Max);
    host_.SetScrollRange(true, Min, Max);
  }
}

void TOvcTableLayout::UpdateScrollPositions() {
  if (!host_.HasWindow()) return;
  if (lock_ > 0) {
    pos_pending_ = true;
    return;
  }
  pos_pending_ = false;
  if (host_.HasScrollBar(false)) host_.SetScrollPos(false, HorzThumbPos());
  if (host_.HasScrollBar(true)) host_.SetScrollPos(true, VertThumbPos());
}

}  // namespace tess
