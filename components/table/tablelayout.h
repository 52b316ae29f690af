// What the table grid shows: which rows and columns are on screen and where, the limits
// of scrolling (MaxTopRow, MaxLeftCol), locked rows and columns, hidden runs, hit testing,
// the scroll-bar mapping, fast scrolling and the counted redraw lock.  It knows nothing
// of windows: the table reaches the screen through TOvcTableHost.
//
// Invariants: 0 <= LockedRows < RowLimit and 0 <= LockedCols < ColCount, kept by the
// least counts of the row and column lists (one past the locked ones); LockedRows <=
// TopRow <= MaxTopRow and LockedCols <= LeftCol <= MaxLeftCol once the limits are
// computed; each layout lists the visible locked entries, then the visible scrolling ones
// from TopRow (LeftCol) while their leading edge is inside the client area, in ascending
// number order, with one more offset holding the total extent.  Cells are painted only
// when the outermost redraw lock is released.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "components/core/tabletypes.h"
#include "components/table/cellarray.h"
#include "components/table/tablerows.h"
#include "framework/core/lifetime.h"

namespace tess {

struct TOvcTableRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The window side of the table, as the layout needs it.
class TOvcTableHost {
 public:
  virtual ~TOvcTableHost() = default;
  virtual bool HasWindow() const = 0;
  virtual int32_t ViewWidth() const = 0;
  virtual int32_t ViewHeight() const = 0;
  // Moves the pixels inside Clip by (DX, DY).  The uncovered strip needs no paint message:
  // the layout marks the cells that came into view.
  virtual void ScrollRect(int32_t DX, int32_t DY, const TOvcTableRect& Clip) = 0;
  virtual bool HasScrollBar(bool Vertical) const = 0;
  virtual void SetScrollRange(bool Vertical, int32_t Min, int32_t Max) = 0;
  virtual void SetScrollPos(bool Vertical, int32_t Pos) = 0;
  // Paints the collected cells (ordered by row and column) and, when marked, the area
  // beyond the last row and column.
  virtual void PaintInvalidCells(const TOvcCellArray& Cells) = 0;
  // The outermost redraw lock was taken (before anything changes), is ending (before the
  // collected cells are painted: the last chance to add some) and was released (after).
  virtual void RedrawLockTaken() {}
  virtual void RedrawLockEnding() {}
  virtual void RedrawLockReleased() {}
};

// One direction: rows (by height) or columns (by width).
class TOvcTableAxis {
 public:
  explicit TOvcTableAxis(const TOvcTableExtents& E);

  int32_t Locked = 1;  // entries 0 .. Locked-1 never scroll
  int32_t First = 1;   // first scrolling entry shown
  int32_t Max = 1;     // largest useful First

  int32_t Count() const { return ext_.ExtentCount(); }
  // Lays out what is on screen for a client extent.
  void Build(int32_t Client);
  // The nearest visible number (see IncRow of the table).
  int32_t Inc(int32_t N, int Direction) const;
  // Layout index of N, or -1.
  int Find(int32_t N) const;
  // Max: the smallest First from which every remaining entry fits.
  void CalcMax(int32_t Client);

  int Entries() const { return disp_->Count; }
  int32_t Number(int I) const { return disp_->Ay[static_cast<size_t>(I)].Number; }
  int32_t Offset(int I) const { return disp_->Ay[static_cast<size_t>(I)].Offset; }
  int32_t Size(int I) const { return Offset(I + 1) - Offset(I); }
  int32_t TotalExtent() const { return Offset(Entries()); }
  // The first layout index of the scrolling part (Entries() when none is on screen).
  int FirstScrolling() const;
  // Where the scrolling part starts on screen.
  int32_t ScrollingStart() const { return Offset(FirstScrolling()); }
  // The layout index under pixel P, or -1.
  int IndexAt(int32_t P) const;
  // Visible entries from Locked to N-1, and the inverse.
  int32_t VisibleBefore(int32_t N) const;
  int32_t NthVisible(int32_t K) const;
  bool Hidden(int32_t N) const { return ext_.ExtentHidden(N); }
  int32_t ExtentOf(int32_t N) const { return ext_.ExtentSize(N); }

 private:
  void Append(int32_t Number, int32_t Offset);
  const TOvcTableExtents& ext_;
  std::unique_ptr<TOvcTblDisplayArray> disp_;
};

class TOvcTableLayout {
 public:
  // At or above this MaxTopRow the vertical bar shows a scaled range.
  static constexpr int32_t ScaledThumbRows = 16384;

  TOvcTableLayout(TOvcTableHost& Host, TOvcTableRows& Rows, TOvcTableColumns& Columns);

  int32_t RowLimit() const { return rows_.Count(); }
  void SetRowLimit(int32_t Value);
  int32_t ColCount() const { return cols_.Count(); }
  void SetColCount(int32_t Value);
  int32_t LockedRows() const { return r_.Locked; }
  // Refused unless 0 <= Value < RowLimit (also before the window exists).  An active
  // cell left among the locked lines stays there for the caller to move it (as a move of
  // the user's, with its hooks); the next change of extents would pull it out.
  void SetLockedRows(int32_t Value);
  int32_t LockedCols() const { return c_.Locked; }
  void SetLockedCols(int32_t Value);
  int32_t TopRow() const { return r_.First; }
  int32_t LeftCol() const { return c_.First; }
  void SetTopRow(int32_t Value) { SetTopLeftCell(Value, c_.First); }
  void SetLeftCol(int32_t Value) { SetTopLeftCell(r_.First, Value); }
  void SetTopLeftCell(int32_t RowNum, int32_t ColNum);
  int32_t MaxTopRow() const { return r_.Max; }
  int32_t MaxLeftCol() const { return c_.Max; }
  int32_t ActiveRow() const { return active_row_; }
  int32_t ActiveCol() const { return active_col_; }
  void SetActiveCell(int32_t RowNum, int32_t ColNum);

  // The window was created: re-validates the locked counts, lays out, sets the bars.
  void WindowCreated();
  // The client area changed size.
  void SizeChanged();
  // SizeChanged when the client size differs from the one last laid out for (a window
  // may change size before its size notice reaches the table).
  void CheckSize();
  // Rows or columns changed (sizes, hidden flags, counts): limits, layout, repaint.
  void ExtentsChanged();

  int32_t IncRow(int32_t RowNum, int Direction) const { return r_.Inc(RowNum, Direction); }
  int32_t IncCol(int32_t ColNum, int Direction) const { return c_.Inc(ColNum, Direction); }
  int FindRow(int32_t RowNum) const { return r_.Find(RowNum); }
  int FindCol(int32_t ColNum) const { return c_.Find(ColNum); }
  const TOvcTableAxis& RowAxis() const { return r_; }
  const TOvcTableAxis& ColAxis() const { return c_; }
  // 0 a scrolling cell, 1 a locked cell, 2 no cell under a point of the client area, 3
  // outside it.  A coordinate past the cells gives -1, one before the client area -2.
  uint8_t HitTest(int32_t X, int32_t Y, int32_t& RowNum, int32_t& ColNum) const;
  // False when the cell is not on screen.
  bool GetCellRect(int32_t RowNum, int32_t ColNum, TOvcTableRect& R) const;

  // The scroll bars.  The vertical one shows TopRow directly below ScaledThumbRows, else
  // TopRow divided by one divisor that the way back multiplies by.
  void VertScrollRange(int32_t& Min, int32_t& Max) const;
  int32_t VertThumbPos() const;
  int32_t RowForThumb(int32_t Pos) const;
  void HorzScrollRange(int32_t& Min, int32_t& Max) const;
  int32_t HorzThumbPos() const;
  int32_t ColForThumb(int32_t Pos) const;

  // The counted redraw lock: the collected cells are painted when the outermost lock ends.
  void SetAllowRedraw(bool Value);
  bool RedrawLocked() const { return lock_ > 0; }
  void InvalidateCell(int32_t RowNum, int32_t ColNum);
  void InvalidateRow(int32_t RowNum);
  void InvalidateColumn(int32_t ColNum);
  void InvalidateTable();
  // The area beyond the last row and column is painted when the lock ends.
  void InvalidateUnusedArea() { invalid_.MarkExtraArea(); }
  const TOvcCellArray& InvalidCells() const { return invalid_; }
  // Ends with the layout, and so with the table around it.
  const TLifeMark& LifeMark() const { return life_; }

  // May change the new top row and left column before they are applied.
  std::function<void(int32_t& RowNum, int32_t& ColNum)> OnTopLeftCellChanging;
  // A locked count is about to change.
  std::function<void()> OnLockedChanging;
  std::function<void(int32_t RowNum, int32_t ColNum)> OnTopLeftCellChanged;

 private:
  class Lock;
  int32_t VertDivisor() const;
  void ScrollAxis(bool Vertical, int32_t NewFirst);
  void InvalidateLine(bool Vertical, int Index);
  void RecalcLimits();
  void LockedChanged();
  void KeepLeastCounts();
  void UpdateScrollRanges();
  void UpdateScrollPositions();

  TOvcTableHost& host_;
  TOvcTableRows& rows_;
  TOvcTableColumns& cols_;
  TOvcTableAxis r_;
  TOvcTableAxis c_;
  int32_t active_row_ = 1;
  int32_t active_col_ = 1;
  // Set while a change of the locked counts leaves the active cell where it was.
  bool hold_active_ = false;
  int32_t lock_ = 0;
  int32_t built_w_ = -1, built_h_ = -1;
  bool pos_pending_ = false;
  TOvcCellArray invalid_;
  TLifeMark life_;
};

// Holds a table's redraw lock for one change; what changed is painted when the
// outermost lock ends.  The painting runs the table's handlers, and one of them may free
// the table: the release then passes on what ends the table's work under way (it may
// throw), and a lock whose layout is gone is left alone.
class TOvcTableRedrawLock {
 public:
  explicit TOvcTableRedrawLock(TOvcTableLayout& L);
  ~TOvcTableRedrawLock() noexcept(false);
  TOvcTableRedrawLock(const TOvcTableRedrawLock&) = delete;
  TOvcTableRedrawLock& operator=(const TOvcTableRedrawLock&) = delete;

 private:
  TOvcTableLayout& l_;
  TLifeWatch layout_;
};

}  // namespace tess
