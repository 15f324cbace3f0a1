#pragma once
// Small numeric helpers of the class library's math unit.

#include <algorithm>
#include <cmath>
#include <cstdint>

template <class T>
constexpr T Min(T a, T b) { return a < b ? a : b; }
template <class T>
constexpr T Max(T a, T b) { return a > b ? a : b; }
template <class T>
constexpr bool InRange(T value, T lo, T hi) { return value >= lo && value <= hi; }
template <class T>
constexpr T EnsureRange(T value, T lo, T hi) { return value < lo ? lo : (value > hi ? hi : value); }
template <class T>
constexpr int Sign(T value) { return value > 0 ? 1 : (value < 0 ? -1 : 0); }

inline int64_t Ceil(double x) { return static_cast<int64_t>(std::ceil(x)); }
inline int64_t Floor(double x) { return static_cast<int64_t>(std::floor(x)); }
inline double Power(double base, double exponent) { return std::pow(base, exponent); }
inline double IntPower(double base, int exponent) { return std::pow(base, exponent); }
