#pragma once
// Basic geometry and the fixed-size integer names the system's code uses.
// Rectangles are half-open: Right and Bottom lie just outside.

#include <cstdint>

using Byte = uint8_t;
using Word = uint16_t;
using LongWord = uint32_t;
using Cardinal = uint32_t;
using DWORD = uint32_t;
using Integer = int32_t;
using LongInt = int32_t;
using SmallInt = int16_t;
using ShortInt = int8_t;
using Int64 = int64_t;
using NativeInt = intptr_t;

struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(int x, int y) : X(x), Y(y) {}
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  constexpr TSize() = default;
  constexpr TSize(int w, int h) : cx(w), cy(h) {}
  friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
      : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr TPoint CenterPoint() const { return {(Left + Right) / 2, (Top + Bottom) / 2}; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int x, int y) { return {x, y}; }
constexpr TSize Size(int cx, int cy) { return {cx, cy}; }
constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
constexpr TRect Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

// True when the point lies inside (Right and Bottom excluded).
bool PtInRect(const TRect& r, const TPoint& p);
// Empty: no area (Right <= Left or Bottom <= Top).
bool IsRectEmpty(const TRect& r);
bool EqualRect(const TRect& a, const TRect& b);
// Stores the overlap in dst; an empty overlap stores the empty rectangle and returns false.
bool IntersectRect(TRect& dst, const TRect& a, const TRect& b);
// Smallest rectangle holding both; empty inputs are ignored. False when the result is empty.
bool UnionRect(TRect& dst, const TRect& a, const TRect& b);
bool OffsetRect(TRect& r, int dx, int dy);
// Grows by dx on the left and right and dy on the top and bottom (negative shrinks).
bool InflateRect(TRect& r, int dx, int dy);
// Sets all four edges; returns true.
bool SetRect(TRect& r, int left, int top, int right, int bottom);
bool SetRectEmpty(TRect& r);
