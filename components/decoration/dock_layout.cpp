// The dock bar's arithmetic (see dock_layout.h).
#include "components/decoration/dock_layout.h"

#include <algorithm>
#include <cassert>

namespace tess {

int32_t DockMargin(const std::vector<TDockItem>& Items) {
  if (Items.empty()) return 0;
  return std::clamp(Items.front().HomeLeft, 0, 5);
}

int32_t DockWidest(const std::vector<TDockItem>& Items) {
  int32_t w = 10;
  for (const TDockItem& i : Items) w = std::max(w, i.Width);
  return w;
}

TDockWrap WrapDockItems(const std::vector<TDockItem>& Items, int32_t Rows, int32_t Margin,
                        int32_t DockedHeight) {
  TDockWrap out;
  out.Positions.reserve(Items.size());
  if (Items.empty()) return out;
  if (Rows <= 0) {
    for (const TDockItem& i : Items) {
      out.Positions.push_back({i.HomeLeft, i.HomeTop});
      if (i.Visible) out.Extent = std::max(out.Extent, i.HomeLeft + i.Width);
    }
    out.RowsUsed = 1;
    return out;
  }
  const TDockItem& last = Items.back();
  const int32_t per_row = (last.HomeLeft + last.Width) / Rows;
  int32_t shift = 0, row = 0, widest = 0;
  for (const TDockItem& i : Items) {
    if (!i.Visible) {
      // The gap it leaves closes up.
      shift -= i.Width;
      out.Positions.push_back({i.HomeLeft, i.HomeTop});
      continue;
    }
    int32_t centre = i.HomeLeft + i.Width / 2 + 1;
    if (centre > (row + 1) * per_row && i.HomeLeft + shift + i.Width > widest) {
      ++row;
      shift = Margin - i.HomeLeft;
    }
    TDockPos p{i.HomeLeft + shift, row * DockedHeight + i.HomeTop};
    out.Positions.push_back(p);
    widest = std::max(widest, p.Left + i.Width);
  }
  out.RowsUsed = row + 1;
  out.Extent = widest;
  return out;
}

std::vector<TDockPos> StackDockItems(const std::vector<TDockItem>& Items, int32_t Margin,
                                     int32_t Widest) {
  std::vector<TDockPos> out;
  out.reserve(Items.size());
  int32_t y = Margin;
  const TDockItem* prev = nullptr;
  for (const TDockItem& i : Items) {
    if (prev) y += std::max(0, i.HomeLeft - (prev->HomeLeft + prev->Width));
    out.push_back({Margin + (Widest - i.Width) / 2, y});
    if (i.Visible) {
      y += i.Height;
      prev = &i;
    }
  }
  return out;
}

TDockSize DockClientSize(const std::vector<TDockItem>& Items,
                         const std::vector<TDockPos>& Positions, int32_t Margin) {
  assert(Items.size() == Positions.size());
  int32_t right = 10, bottom = 10;
  for (size_t k = 0; k < Items.size(); ++k) {
    if (!Items[k].Visible) continue;
    right = std::max(right, Positions[k].Left + Items[k].Width);
    bottom = std::max(bottom, Positions[k].Top + Items[k].Height);
  }
  return {right + Margin, bottom + Margin};
}

std::vector<TDockSize> DockCandidates(const std::vector<TDockItem>& Items, int32_t Margin,
                                      int32_t DockedHeight, TDockSize Extra) {
  std::vector<TDockSize> out;
  const int32_t n = static_cast<int32_t>(Items.size());
  // One visible control per row is as narrow as the window gets.
  int32_t widest = 10;
  for (const TDockItem& i : Items)
    if (i.Visible) widest = std::max(widest, i.Width);
  const int32_t narrowest = Margin + widest;
  for (int32_t r = 1; r <= std::max(n, 1); ++r) {
    TDockWrap w = WrapDockItems(Items, r, Margin, DockedHeight);
    TDockSize client = DockClientSize(Items, w.Positions, Margin);
    out.push_back({client.Width + Extra.Width, client.Height + Extra.Height});
    if (client.Width <= narrowest + Margin) break;
  }
  return out;
}

int32_t RowsForHeight(const std::vector<TDockSize>& Candidates, int32_t Height) {
  for (int32_t i = static_cast<int32_t>(Candidates.size()) - 1; i >= 0; --i)
    if (Candidates[static_cast<size_t>(i)].Height < Height + 6) return i + 1;
  return 1;
}

int32_t ChooseCandidate(const std::vector<TDockSize>& C, TDockEdge Edge, int32_t WindowLeft,
                        int32_t WindowTop, int32_t WindowRight, int32_t WindowBottom, int32_t X,
                        int32_t Y) {
  const int32_t n = static_cast<int32_t>(C.size());
  if (n == 0) return 0;
  auto at = [&](int32_t i) { return C[static_cast<size_t>(i)]; };
  switch (Edge) {
    case TDockEdge::Left:
      for (int32_t i = 0; i < n; ++i)
        if (WindowRight - at(i).Width > X - 6) return i;
      return n - 1;
    case TDockEdge::Right:
      // The mirror of the left edge: the widest candidate whose right edge the pointer
      // has passed.
      for (int32_t i = 0; i < n; ++i)
        if (WindowLeft + at(i).Width < X + 6) return i;
      return n - 1;
    case TDockEdge::Top:
      for (int32_t i = n - 1; i >= 0; --i)
        if (WindowBottom - at(i).Height > Y - 6) return i;
      return 0;
    case TDockEdge::Bottom:
      for (int32_t i = n - 1; i >= 0; --i)
        if (WindowTop + at(i).Height < Y + 6) return i;
      return 0;
  }
  return 0;
}

TDropZones DockDropZones(const TDockRect& R, bool AllowSideDock) {
  TDropZones z;
  z.Top = {R.Left, R.Top + 25, R.Right, R.Top + 60};
  z.Bottom = {R.Left, R.Bottom - 35, R.Right, R.Bottom};
  if (AllowSideDock) {
    z.Left = {R.Left, R.Top + 25, R.Left + 35, R.Bottom};
    z.Right = {R.Right - 35, R.Top + 25, R.Right, R.Bottom};
  }
  return z;
}

TDockAlign DropPlace(const TDropZones& Z, int32_t X, int32_t Y) {
  if (Z.Top.Contains(X, Y)) return TDockAlign::dkTop;
  if (Z.Bottom.Contains(X, Y)) return TDockAlign::dkBottom;
  if (Z.Left.Contains(X, Y)) return TDockAlign::dkLeft;
  if (Z.Right.Contains(X, Y)) return TDockAlign::dkRight;
  return TDockAlign::dkFloat;
}

TDockSettings ValidateDockSettings(TDockSettings S, int32_t CurrentDock, TDockSize Computed,
                                   int32_t ScreenWidth, int32_t ScreenHeight) {
  if (S.Dock < 0 || S.Dock > 4) S.Dock = CurrentDock;
  if (S.FloatWidth <= 0) S.FloatWidth = Computed.Width;
  if (S.FloatHeight <= 0) S.FloatHeight = Computed.Height;
  // Upper bound first, so a window wider than the screen still starts at 0.
  S.FloatLeft = std::max(0, std::min(S.FloatLeft, ScreenWidth - S.FloatWidth));
  S.FloatTop = std::max(0, std::min(S.FloatTop, ScreenHeight - S.FloatHeight));
  return S;
}

}  // namespace tess
