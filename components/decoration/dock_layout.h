// The arithmetic of the dock bar: wrapping its controls into rows, the sizes a floating
// bar may take, the drop zones of a drag, the candidate chosen while an edge of the
// floating window is dragged, and the check of the settings read back from a file.
// Portable: controls are plain records, the screen size is passed in.
//
// Invariant: records are in the order of their home Left (left to right), as the bar
// keeps them; every function here leaves the records' home positions untouched.
#pragma once

#include <cstdint>
#include <vector>

namespace tess {

struct TDockItem {
  int32_t HomeLeft = 0, HomeTop = 0;  // the position as designed
  int32_t Width = 0, Height = 0;
  bool Visible = true;
};

struct TDockPos {
  int32_t Left = 0, Top = 0;
  bool operator==(const TDockPos&) const = default;
};

struct TDockSize {
  int32_t Width = 0, Height = 0;
  bool operator==(const TDockSize&) const = default;
};

struct TDockWrap {
  std::vector<TDockPos> Positions;  // one per item (invisible ones keep their home)
  int32_t RowsUsed = 0;
  int32_t Extent = 0;  // the widest right edge reached
};

// The margin (the first control's home Left, at most 5) and the widest control (at
// least 10) of a list of items.
int32_t DockMargin(const std::vector<TDockItem>& Items);
int32_t DockWidest(const std::vector<TDockItem>& Items);

// Places the items in Rows rows (Rows <= 0: the home positions).
TDockWrap WrapDockItems(const std::vector<TDockItem>& Items, int32_t Rows, int32_t Margin,
                        int32_t DockedHeight);

// A bar docked on a side: the items centred in a column Margin + Widest + Margin wide,
// from the top in list order, the horizontal gaps between them kept as vertical gaps.
std::vector<TDockPos> StackDockItems(const std::vector<TDockItem>& Items, int32_t Margin,
                                     int32_t Widest);

// The client size of a floating bar whose items sit at Positions: the greatest right
// and bottom edges of the visible items (at least 10 each) plus the margin.
TDockSize DockClientSize(const std::vector<TDockItem>& Items,
                         const std::vector<TDockPos>& Positions, int32_t Margin);

// Candidate outer sizes of the floating window for 1, 2, ... rows (index + 1 rows):
// the client size the rows need plus Extra (frame and title).  Stops at one control
// per row or after as many rows as there are controls; never empty.
std::vector<TDockSize> DockCandidates(const std::vector<TDockItem>& Items, int32_t Margin,
                                      int32_t DockedHeight, TDockSize Extra);

// The number of rows a floating window of height Height holds: from the most rows
// down, the first candidate lower than Height + 6; 1 when none is.
int32_t RowsForHeight(const std::vector<TDockSize>& Candidates, int32_t Height);

// Which candidate an edge of the floating window dragged to (X, Y) chooses (an index
// into Candidates).  Right/Bottom are the fixed edges of the window for a left/top drag,
// Left/Top for a right/bottom drag.
enum class TDockEdge { Left, Right, Top, Bottom };
int32_t ChooseCandidate(const std::vector<TDockSize>& Candidates, TDockEdge Edge,
                        int32_t WindowLeft, int32_t WindowTop, int32_t WindowRight,
                        int32_t WindowBottom, int32_t X, int32_t Y);

// The drop zones of a drag over the dock site's window rectangle.
enum class TDockAlign { dkFloat, dkTop, dkBottom, dkLeft, dkRight };
struct TDockRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(int32_t X, int32_t Y) const {
    return X >= Left && X < Right && Y >= Top && Y < Bottom;
  }
  bool operator==(const TDockRect&) const = default;
};
struct TDropZones {
  TDockRect Top, Bottom, Left, Right;  // the side zones are empty without side docking
};
TDropZones DockDropZones(const TDockRect& Site, bool AllowSideDock);
// The place a drop at (X, Y) gives: the first zone holding it (top, bottom, left,
// right), else floating.
TDockAlign DropPlace(const TDropZones& Zones, int32_t X, int32_t Y);

// Settings as read from the file, and what is made of them.
struct TDockSettings {
  int32_t FloatLeft = 0, FloatTop = 0, FloatWidth = 0, FloatHeight = 0;
  int32_t Dock = 1;
};
// Dock outside 0..4 keeps Current; a width or height of 0 or less takes Computed (the
// size of the controls in one row); the window is then pulled onto the screen (its
// top-left corner never above or left of the screen's).
TDockSettings ValidateDockSettings(TDockSettings Read, int32_t CurrentDock, TDockSize Computed,
                                   int32_t ScreenWidth, int32_t ScreenHeight);

}  // namespace tess
