// rect: integer rectangles (signed TRect, unsigned TURect for clipping and fills) and the
// 2-D point of mouse handlers; plain values used by windows and the renderer.
#pragma once

struct TPoint
{
  int x, y;

  TPoint() : x(0), y(0) {}
  TPoint(int x_, int y_) : x(x_), y(y_) {}
};

struct TRect
{
  int left, top, right, bottom;

  TRect() : left(0), top(0), right(0), bottom(0) {}
  TRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

  // Not normalised: disjoint rectangles give right < left or bottom < top.
  static TRect Intersect(TRect const& a, TRect const& b)
  {
    return TRect(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                 a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
  }
};

struct TURect
{
  unsigned left, top, right, bottom;

  TURect() : left(0), top(0), right(0), bottom(0) {}
  TURect(unsigned l, unsigned t, unsigned r, unsigned b) : left(l), top(t), right(r), bottom(b) {}

  // Normalises: swaps the edges so that left <= right and top <= bottom.
  void Check()
  {
    if (right < left) {
      unsigned swap = left;
      left = right;
      right = swap;
    }
    if (bottom < top) {
      unsigned swap = top;
      top = bottom;
      bottom = swap;
    }
  }
};
