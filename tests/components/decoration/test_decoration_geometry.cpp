// The decoration components' arithmetic: effect offsets and colours, the frame's hit
// test, the splitter's clamps and the dock bar's wrapping, candidates, drop zones and
// settings check.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "components/decoration/auto_style.h"
#include "components/decoration/caption_geometry.h"
#include "components/decoration/dock_layout.h"
#include "components/decoration/effect_geometry.h"
#include "components/decoration/split_geometry.h"

namespace tess {
namespace {

// ---------------------------------------------------------------------------------------
// The automatic look

TEST(AutoStyle, AutoFollowsTheSystemAndOtherStylesStand) {
  enum class Look { Auto, Win31, Win95, Inset };
  auto resolve = [](Look V, bool NewLook) {
    return ResolveAutoStyle(V, Look::Auto, Look::Win31, Look::Win95, NewLook);
  };
  EXPECT_EQ(resolve(Look::Auto, true), Look::Win95);
  EXPECT_EQ(resolve(Look::Auto, false), Look::Win31);
  for (Look v : {Look::Win31, Look::Win95, Look::Inset})
    for (bool n : {true, false}) EXPECT_EQ(resolve(v, n), v);
}

// ---------------------------------------------------------------------------------------
// Effects

TEST(EffectGeometry, DirectionsAreTheEightUnitStepsAroundTheFace) {
  std::set<std::pair<int, int>> seen;
  for (int d = 1; d <= 8; ++d) {
    TEffectOffset o = DirectionOffset(static_cast<TEffectDirection>(d));
    EXPECT_LE(std::abs(o.dx) + std::abs(o.dy), 2);
    EXPECT_FALSE(o.dx == 0 && o.dy == 0);
    seen.insert({o.dx, o.dy});
    // Opposite directions are four apart.
    TEffectOffset p = DirectionOffset(static_cast<TEffectDirection>((d + 3) % 8 + 1));
    EXPECT_EQ(p.dx, -o.dx);
    EXPECT_EQ(p.dy, -o.dy);
  }
  EXPECT_EQ(seen.size(), 8u);
  EXPECT_EQ(DirectionOffset(TEffectDirection::edNone), (TEffectOffset{0, 0}));
  EXPECT_EQ(DirectionOffset(TEffectDirection::edUpLeft), (TEffectOffset{-1, -1}));
}

TEST(EffectGeometry, ExtentCoversBothLayersAndZero) {
  // The raised preset: one pixel each way.
  TEffectExtent e =
      EffectExtent(TEffectDirection::edUpLeft, 1, TEffectDirection::edDownRight, 1);
  EXPECT_EQ(e.MinOff, -1);
  EXPECT_EQ(e.MaxOff, 1);
  // Flying: both layers down-right; the face itself stays at 0.
  e = EffectExtent(TEffectDirection::edDownRight, 1, TEffectDirection::edDownRight, 5);
  EXPECT_EQ(e.MinOff, 0);
  EXPECT_EQ(e.MaxOff, 5);
  // Brute force over every direction and depth.
  for (int a = 0; a <= 8; ++a)
    for (int b = 0; b <= 8; ++b)
      for (int da = 0; da <= 10; da += 5)
        for (int db = 0; db <= 10; db += 3) {
          auto A = static_cast<TEffectDirection>(a), B = static_cast<TEffectDirection>(b);
          TEffectExtent x = EffectExtent(A, da, B, db);
          EXPECT_LE(x.MinOff, 0);
          EXPECT_GE(x.MaxOff, 0);
          for (auto [d, depth] : {std::pair{A, da}, std::pair{B, db}}) {
            TEffectOffset o = DirectionOffset(d);
            for (int v : {o.dx * depth, o.dy * depth}) {
              EXPECT_GE(v, x.MinOff);
              EXPECT_LE(v, x.MaxOff);
            }
          }
        }
}

TEST(EffectGeometry, GraduatedLayerRunsFromFaceColourToLayerColour) {
  TRgb layer{0, 0, 0}, face{200, 100, 50};
  EXPECT_EQ(GraduatedStepColor(layer, face, 5, 1), face);
  EXPECT_EQ(GraduatedStepColor(layer, face, 5, 5), layer);
  EXPECT_EQ(GraduatedStepColor(layer, face, 5, 3), (TRgb{100, 50, 25}));
  // Depth 1 is a plain layer, and must not divide by zero.
  EXPECT_EQ(GraduatedStepColor(layer, face, 1, 1), layer);
  // Monotone between the ends.
  for (int i = 1; i < 10; ++i)
    EXPECT_GE(GraduatedStepColor(layer, face, 10, i).R,
              GraduatedStepColor(layer, face, 10, i + 1).R);
}

TEST(EffectGeometry, GradientEndsAtBothColoursAndSurvivesTinySizes) {
  TRgb from{0, 255, 10}, to{255, 0, 10};
  TGradientSteps g(from, to, 100);
  ASSERT_EQ(g.Lines(), 101);
  EXPECT_EQ(g.Line(0), from);
  EXPECT_EQ(g.Line(100), to);
  EXPECT_EQ(g.Line(50).B, 10);
  // A box one pixel thick (size 0) or none (negative) is one line in the start colour.
  for (int size : {0, -1, -40}) {
    TGradientSteps t(from, to, size);
    EXPECT_EQ(t.Lines(), 1);
    EXPECT_EQ(t.Line(0), from);
  }
  TGradientSteps one(from, to, 1);
  EXPECT_EQ(one.Lines(), 2);
  EXPECT_EQ(one.Line(1), to);
}

TEST(EffectGeometry, RotationTurnsAboutTheCentre) {
  // Unturned, the text is centred on (C, C).
  TRotatedOrigin o = RotatedTextOrigin(50, 60, 20, 0);
  EXPECT_EQ(o.X, 20);
  EXPECT_EQ(o.Y, 40);
  // At 90 degrees the text runs upwards, so its origin lies below the centre.
  o = RotatedTextOrigin(50, 60, 20, 90);
  EXPECT_EQ(o.X, 40);
  EXPECT_EQ(o.Y, 80);
  // The turned box always holds the origin and keeps its area within the sheared bound.
  for (int a = 0; a <= 360; a += 15) {
    TBox b = RotatedTextBox({100, 100}, 60, 20, a);
    EXPECT_LE(b.Left, 100);
    EXPECT_GE(b.Right, 100);
    EXPECT_LE(b.Top, 100);
    EXPECT_GE(b.Bottom, 100);
    EXPECT_LE(b.Right - b.Left, 60 + 20 + 2);
  }
}

// The filled outline of an opaque turned label: six corners round the text swept along
// the layers' reach, holding every corner of the text at both ends of the sweep, and no
// more than the sweep adds to the text's own area.
TEST(EffectGeometry, SweptOutlineHoldsTheTurnedTextAndItsLayers) {
  for (int a = 0; a < 360; a += 15) {
    SCOPED_TRACE(a);
    auto corners = RotatedTextCorners({100, 100}, 60, 20, a);
    auto hex = SweptOutline(corners, -2, 3);
    double area = 0;
    for (size_t i = 0; i < 6; ++i) {
      const TRotatedOrigin &p = hex[i], &q = hex[(i + 1) % 6];
      area += double(p.X) * q.Y - double(q.X) * p.Y;
    }
    area /= 2;
    const double sign = area < 0 ? -1 : 1;
    EXPECT_LE(std::abs(area), 60.0 * 20 + 5.0 * (60 + 20) * 1.5 + 40);
    for (const TPointF& c : corners)
      for (int shift : {-2, 3})
        for (size_t i = 0; i < 6; ++i) {
          const TRotatedOrigin &p = hex[i], &q = hex[(i + 1) % 6];
          double ex = q.X - p.X, ey = q.Y - p.Y;
          double cross = ex * (c.Y + shift - p.Y) - ey * (c.X + shift - p.X);
          EXPECT_GE(cross * sign, -1.5 * std::hypot(ex, ey)) << "corner outside, edge " << i;
        }
  }
  // Unturned: the box's corners, the far three moved by the sweep.
  auto flat = SweptOutline(RotatedTextCorners({10, 10}, 60, 20, 0), 0, 4);
  std::array<TRotatedOrigin, 6> want{{{10, 10}, {70, 10}, {74, 14}, {74, 34}, {14, 34}, {10, 30}}};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(flat[i].X, want[i].X) << i;
    EXPECT_EQ(flat[i].Y, want[i].Y) << i;
  }
}

TEST(EffectGeometry, UprightLettersFollowTheLine) {
  std::vector<int32_t> adv{10, 10, 10, 10};
  auto flat = UprightLetterPositions(adv, 20, 0);
  ASSERT_EQ(flat.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(flat[i].X, 10 + 10 * static_cast<int>(i));
    EXPECT_EQ(flat[i].Y, 10);
  }
  // Straight up: the letters stack by their height, the first at the bottom.
  auto up = UprightLetterPositions(adv, 20, 90);
  EXPECT_EQ(up[0].X, up[3].X);
  EXPECT_EQ(up[0].Y - up[1].Y, 20);
  EXPECT_EQ(up[3].Y, 10);
  EXPECT_TRUE(UprightLetterPositions({}, 20, 45).empty());
}

// ---------------------------------------------------------------------------------------
// The frame's hit test

THitTestInput Frame(TSizeStyle Sizing) {
  THitTestInput in;
  in.Width = 300;
  in.Height = 200;
  in.FrameOffset = 4;
  in.BarHeight = 18;
  in.Sizing = Sizing;
  in.FrameCornerSize = 30;
  in.SysMenuBox = {4, 4, 21, 22};
  TCaptionLayoutInput l;
  l.CaptionArea = {21, 4, 296, 22};
  l.ButtonsLeft = 1;
  l.ButtonsRight = 2;
  in.Buttons = LayoutCaptionButtons(l);
  in.ButtonsLeft = 1;
  in.ButtonsRight = 2;
  return in;
}

TEST(CaptionGeometry, CaptionBarPartsAreFoundInOrder) {
  THitTestInput in = Frame(TSizeStyle::szBoth);
  EXPECT_EQ(FrameHitTest(in, 10, 10, hit::kNowhere).Code, hit::kSysMenu);
  in.SystemMenu = false;
  EXPECT_EQ(FrameHitTest(in, 10, 10, hit::kNowhere).Code, hit::kCaption);
  THitTestResult r = FrameHitTest(in, in.Buttons[1].Left + 2, 10, hit::kNowhere);
  EXPECT_EQ(r.Code, hit::kFrameButton);
  EXPECT_EQ(r.ButtonIndex, 1);
  r = FrameHitTest(in, 294, 10, hit::kNowhere);
  EXPECT_EQ(r.ButtonIndex, 6);
  r = FrameHitTest(in, in.Buttons[5].Left + 1, 10, hit::kNowhere);
  EXPECT_EQ(r.ButtonIndex, 5);
  EXPECT_EQ(FrameHitTest(in, 150, 10, hit::kNowhere).Code, hit::kCaption);
  // Without a bar the strip is frame, not caption.
  in.HasBar = false;
  EXPECT_EQ(FrameHitTest(in, 150, 10, hit::kClient).Code, hit::kClient);
}

// The whole matrix against a direct statement of the rule.
TEST(CaptionGeometry, SizingEdgesFollowTheSizeStyle) {
  for (auto s : {TSizeStyle::szNone, TSizeStyle::szBoth, TSizeStyle::szVertical,
                 TSizeStyle::szHorizontal}) {
    THitTestInput in = Frame(s);
    in.HasBar = false;  // every edge point is an edge
    for (int y : {0, 3, 10, 50, 100, 175, 196, 199})
      for (int x : {0, 3, 10, 50, 150, 275, 296, 299}) {
        int expect = hit::kClient;
        bool l = x < 4, r = x >= 296, t = y < 4, b = y >= 196;
        bool both = s == TSizeStyle::szBoth;
        bool nt = y < 30, nb = y >= 170, nl = x < 30, nr = x >= 270;
        if (s != TSizeStyle::szNone) {
          if (s != TSizeStyle::szVertical) {
            if (l) expect = both && nb ? hit::kBottomLeft : both && nt ? hit::kTopLeft : hit::kLeft;
            if (r)
              expect = both && nb ? hit::kBottomRight : both && nt ? hit::kTopRight : hit::kRight;
          }
          if (s != TSizeStyle::szHorizontal) {
            if (t) expect = both && nr ? hit::kTopRight : both && nl ? hit::kTopLeft : hit::kTop;
            if (b)
              expect = both && nr ? hit::kBottomRight : both && nl ? hit::kBottomLeft : hit::kBottom;
          }
        }
        EXPECT_EQ(FrameHitTest(in, x, y, hit::kClient).Code, expect)
            << "style " << int(s) << " at " << x << "," << y;
      }
  }
}

TEST(CaptionGeometry, GrabbingMakesTheClientACaption) {
  THitTestInput in = Frame(TSizeStyle::szNone);
  in.Grabbing = true;
  EXPECT_EQ(FrameHitTest(in, 150, 100, hit::kClient).Code, hit::kCaption);
  EXPECT_EQ(FrameHitTest(in, 150, 100, hit::kNowhere).Code, hit::kNowhere);
}

TEST(CaptionGeometry, ButtonsLayOutFromBothEnds) {
  TCaptionLayoutInput l;
  l.CaptionArea = {10, 4, 210, 22};
  l.ButtonLeftWidth = l.ButtonRightWidth = 16;
  l.ButtonsLeft = 2;
  l.ButtonsRight = 4;
  TFrameButtonRects r = LayoutCaptionButtons(l);
  EXPECT_EQ(r[1].Left, 10);
  EXPECT_EQ(r[2].Left, r[1].Right - 1);  // neighbours share their outline
  EXPECT_EQ(r[6].Right, 210);
  EXPECT_EQ(r[5].Right, r[6].Left + 1);
  EXPECT_EQ(r[3].Right, r[4].Left + 1);
  // Too many buttons are clamped; only Button6 with one right button.
  l.ButtonsRight = 1;
  l.ButtonsLeft = 0;
  r = LayoutCaptionButtons(l);
  EXPECT_TRUE(r[1].Empty());
  EXPECT_TRUE(r[5].Empty());
  EXPECT_EQ(r[6].Right, 210);
  // The Windows 95 look: apart, inset, with the gap before the rightmost.
  l.FrameStyle = TFrameStyles::fsWindows95;
  l.ButtonsRight = 3;
  l.ButtonRightGap = true;
  r = LayoutCaptionButtons(l);
  EXPECT_EQ(r[6].Right, 208);
  EXPECT_EQ(r[6].Top, 6);
  EXPECT_EQ(r[5].Right, r[6].Left - 2);
  EXPECT_EQ(r[4].Right, r[5].Left);
}

// ---------------------------------------------------------------------------------------
// Splitter

TEST(SplitGeometry, BarPositionIsClampedAtBothEnds) {
  TSplitGeometry g{ToxsOrientation::oxsHorz, 300, 200, 0, 4};
  EXPECT_EQ(g.ClampBarPosition(-5), 0);
  EXPECT_EQ(g.ClampBarPosition(10000), 196);
  EXPECT_EQ(g.ClampBarPosition(50), 50);
  // A control smaller than its frames and bar: never negative.
  TSplitGeometry tiny{ToxsOrientation::oxsVert, 3, 100, 2, 4};
  EXPECT_LT(tiny.LargestPosition(), 0);
  for (int v : {-10, 0, 5, 100}) EXPECT_EQ(tiny.ClampBarPosition(v), 0);
  EXPECT_EQ(tiny.PercentOf(0), 0);
  TSplitGeometry zero{ToxsOrientation::oxsHorz, 100, 4, 0, 4};
  EXPECT_EQ(zero.PercentOf(0), 0);
  EXPECT_EQ(zero.PositionOfPercent(50), 0);
}

TEST(SplitGeometry, PercentRoundTripsWithinOnePercent) {
  TSplitGeometry g{ToxsOrientation::oxsVert, 457, 100, 2, 5};
  for (int p = 0; p <= 100; ++p) {
    int pos = g.PositionOfPercent(p);
    EXPECT_GE(pos, 0);
    EXPECT_LE(pos, g.LargestPosition());
    EXPECT_LE(std::abs(g.PercentOf(pos) - p), 1);
  }
  EXPECT_EQ(g.PercentOf(g.LargestPosition() * 3), 100);
}

TEST(SplitGeometry, PanesAndBarTileTheInside) {
  for (auto o : {ToxsOrientation::oxsHorz, ToxsOrientation::oxsVert}) {
    TSplitGeometry g{o, 200, 150, 2, 4};
    for (int p : {0, 10, g.LargestPosition()}) {
      TSplitRect a = g.FirstPane(p), b = g.SecondPane(p), bar = g.Bar(p);
      if (o == ToxsOrientation::oxsHorz) {
        EXPECT_EQ(a.Bottom, bar.Top);
        EXPECT_EQ(bar.Bottom, b.Top);
        EXPECT_EQ(b.Bottom, 148);
      } else {
        EXPECT_EQ(a.Right, bar.Left);
        EXPECT_EQ(bar.Right, b.Left);
        EXPECT_EQ(b.Right, 198);
      }
    }
  }
}

TEST(SplitGeometry, DragStopsTwoPixelsShortOfTheFarSide) {
  TSplitGeometry g{ToxsOrientation::oxsHorz, 300, 200, 0, 4};
  EXPECT_EQ(g.ClampDrag(5000), 194);
  EXPECT_EQ(g.PositionOfDrag(g.ClampDrag(5000)), 194);
  EXPECT_EQ(g.ClampDrag(-30), 0);
  TSplitGeometry framed{ToxsOrientation::oxsVert, 300, 200, 2, 4};
  EXPECT_EQ(framed.ClampDrag(-30), 2);
  EXPECT_EQ(framed.PositionOfDrag(framed.ClampDrag(-30)), 0);
}

// ---------------------------------------------------------------------------------------
// Dock bars

std::vector<TDockItem> Buttons(int N, int Width = 23, int Margin = 2) {
  std::vector<TDockItem> v;
  for (int i = 0; i < N; ++i) v.push_back({Margin + i * Width, 2, Width, 22, true});
  return v;
}

// Every visible item sits inside the rows, no two overlap, and each row keeps the
// original left-to-right order.
void CheckWrap(const std::vector<TDockItem>& Items, const TDockWrap& W, int DockedHeight) {
  ASSERT_EQ(W.Positions.size(), Items.size());
  for (size_t i = 0; i < Items.size(); ++i) {
    if (!Items[i].Visible) continue;
    int row = (W.Positions[i].Top - Items[i].HomeTop) / DockedHeight;
    EXPECT_GE(row, 0);
    EXPECT_LT(row, W.RowsUsed);
    EXPECT_LE(W.Positions[i].Left + Items[i].Width, W.Extent);
    for (size_t j = i + 1; j < Items.size(); ++j) {
      if (!Items[j].Visible || W.Positions[j].Top != W.Positions[i].Top) continue;
      EXPECT_GE(W.Positions[j].Left, W.Positions[i].Left + Items[i].Width);
    }
  }
}

TEST(DockLayout, FourButtonsWrapIntoOneToFourRows) {
  auto items = Buttons(4);
  for (int r = 1; r <= 4; ++r) {
    TDockWrap w = WrapDockItems(items, r, 2, 26);
    EXPECT_EQ(w.RowsUsed, r);
    CheckWrap(items, w, 26);
  }
  // Home positions for no rows.
  TDockWrap home = WrapDockItems(items, 0, 2, 26);
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(home.Positions[i], (TDockPos{items[i].HomeLeft, items[i].HomeTop}));
}

TEST(DockLayout, InvisibleControlsLeaveNoGap) {
  auto items = Buttons(5);
  items[1].Visible = false;
  TDockWrap w = WrapDockItems(items, 1, 2, 26);
  EXPECT_EQ(w.Positions[2].Left, items[0].HomeLeft + items[0].Width);
  CheckWrap(items, w, 26);
}

TEST(DockLayout, RandomBarsWrapSoundly) {
  uint32_t seed = 12345;
  auto rnd = [&](int n) {
    seed = seed * 1103515245 + 12345;
    return static_cast<int>((seed >> 16) % static_cast<uint32_t>(n));
  };
  for (int t = 0; t < 200; ++t) {
    std::vector<TDockItem> items;
    int x = rnd(6);
    int n = 1 + rnd(9);
    for (int i = 0; i < n; ++i) {
      int w = 8 + rnd(60);
      items.push_back({x, 2, w, 22, rnd(5) != 0});
      x += w + rnd(8);
    }
    int margin = DockMargin(items);
    for (int r = 1; r <= n + 1; ++r) CheckWrap(items, WrapDockItems(items, r, margin, 26), 26);
    auto cands = DockCandidates(items, margin, 26, {8, 20});
    ASSERT_FALSE(cands.empty());
    EXPECT_LE(static_cast<int>(cands.size()), n);
    // Every candidate holds the widest visible control; only the last may be one per row.
    int widest = 0;
    for (const TDockItem& i : items)
      if (i.Visible) widest = std::max(widest, i.Width);
    const int narrowest = std::max(10, margin + widest) + margin + 8;
    for (size_t i = 0; i < cands.size(); ++i) {
      EXPECT_GE(cands[i].Width, narrowest);
      EXPECT_GE(cands[i].Height, 20 + 10);
    }
  }
}

TEST(DockLayout, CandidatesStopAtOneControlPerRow) {
  auto items = Buttons(4);
  auto c = DockCandidates(items, 2, 26, {8, 20});
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].Width, 2 + 4 * 23 + 2 + 8);
  EXPECT_EQ(c[3].Width, 2 + 23 + 2 + 8);
  EXPECT_EQ(c[0].Height, 2 + 22 + 2 + 20);
  EXPECT_EQ(c[1].Height, 26 + 2 + 22 + 2 + 20);
  // The height of a window fixes its rows; nothing fits below one row.
  EXPECT_EQ(RowsForHeight(c, c[2].Height), 3);
  EXPECT_EQ(RowsForHeight(c, c[0].Height), 1);
  EXPECT_EQ(RowsForHeight(c, 0), 1);
  EXPECT_EQ(RowsForHeight(c, 10000), 4);
  // A bar with no controls still has one candidate.
  EXPECT_EQ(DockCandidates({}, 0, 26, {8, 20}).size(), 1u);
  EXPECT_EQ(WrapDockItems({}, 3, 0, 26).Positions.size(), 0u);
}

TEST(DockLayout, DraggingAnEdgeStepsThroughTheRows) {
  auto c = DockCandidates(Buttons(4), 2, 26, {8, 20});
  // A window with one row at (100, 100).
  int L = 100, T = 100, R = L + c[0].Width, B = T + c[0].Height;
  std::vector<int> rows;
  for (int x = R; x > L; x -= 4) rows.push_back(ChooseCandidate(c, TDockEdge::Right, L, T, R, B, x, 0));
  EXPECT_EQ(rows.front(), 0);
  EXPECT_EQ(rows.back(), 3);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i], rows[i - 1]);
  // Three rows of four equal buttons (2 + 1 + 1) are as wide as two: the right edge
  // skips them, the bottom edge reaches every count.
  std::set<int> distinct(rows.begin(), rows.end());
  EXPECT_EQ(distinct, (std::set<int>{0, 1, 3}));
  std::set<int> by_height;
  for (int y = B; y < T + c[3].Height + 10; y += 3)
    by_height.insert(ChooseCandidate(c, TDockEdge::Bottom, L, T, R, B, 0, y));
  EXPECT_EQ(by_height, (std::set<int>{0, 1, 2, 3}));
  // Pulling the bottom edge down adds rows; up to the window's top, one row.
  EXPECT_EQ(ChooseCandidate(c, TDockEdge::Bottom, L, T, R, B, 0, T + c[3].Height), 3);
  EXPECT_EQ(ChooseCandidate(c, TDockEdge::Bottom, L, T, R, B, 0, T), 0);
  EXPECT_EQ(ChooseCandidate(c, TDockEdge::Top, L, T, R, B, 0, B - c[2].Height), 2);
  EXPECT_EQ(ChooseCandidate(c, TDockEdge::Left, L, T, R, B, R - c[1].Width + 3, 0), 1);
}

TEST(DockLayout, DropZonesAndPlaces) {
  TDockRect site{100, 50, 700, 450};
  TDropZones z = DockDropZones(site, true);
  EXPECT_EQ(DropPlace(z, 300, 80), TDockAlign::dkTop);
  EXPECT_EQ(DropPlace(z, 300, 440), TDockAlign::dkBottom);
  EXPECT_EQ(DropPlace(z, 110, 200), TDockAlign::dkLeft);
  EXPECT_EQ(DropPlace(z, 690, 200), TDockAlign::dkRight);
  EXPECT_EQ(DropPlace(z, 300, 200), TDockAlign::dkFloat);
  EXPECT_EQ(DropPlace(z, 300, 60), TDockAlign::dkFloat);  // the title bar strip
  // The top zone wins in its corner; without side docking the edges float.
  EXPECT_EQ(DropPlace(z, 110, 80), TDockAlign::dkTop);
  TDropZones no_side = DockDropZones(site, false);
  EXPECT_EQ(DropPlace(no_side, 110, 200), TDockAlign::dkFloat);
  EXPECT_EQ(DropPlace(no_side, 690, 200), TDockAlign::dkFloat);
}

TEST(DockLayout, SettingsAreCheckedAgainstTheScreen) {
  TDockSize computed{120, 46};
  // Partly off the screen: pulled back whole; negative: 0.
  TDockSettings s = ValidateDockSettings({900, 700, 200, 100, 0}, 1, computed, 1024, 768);
  EXPECT_EQ(s.FloatLeft, 824);
  EXPECT_EQ(s.FloatTop, 668);
  s = ValidateDockSettings({-50, -1, 200, 100, 2}, 1, computed, 1024, 768);
  EXPECT_EQ(s.FloatLeft, 0);
  EXPECT_EQ(s.FloatTop, 0);
  EXPECT_EQ(s.Dock, 2);
  // Wider than the screen: starts at 0, never negative.
  s = ValidateDockSettings({300, 10, 5000, 100, 0}, 1, computed, 1024, 768);
  EXPECT_EQ(s.FloatLeft, 0);
  // Bad dock values keep the current place; unusable sizes take the computed one.
  for (int bad : {-1, 5, 99}) EXPECT_EQ(ValidateDockSettings({0, 0, 10, 10, bad}, 3, computed, 1024, 768).Dock, 3);
  s = ValidateDockSettings({10, 10, 0, -7, 0}, 1, computed, 1024, 768);
  EXPECT_EQ(s.FloatWidth, 120);
  EXPECT_EQ(s.FloatHeight, 46);
}

}  // namespace
}  // namespace tess
