// SPDX-License-Identifier: GPL-2.0-or-later
#include "flame/flame_sine.h"

#include <cstdint>
#include <cstring>

// sin x is found as +-sin r or +-cos r, where r = x - k pi/2 and |r| <= pi/4 (a hair more
// when k is rounded the other way near a half). r is kept as a double-double (hi + lo, about
// 106 bits), and the Taylor series of sin or cos are summed in double-double, so the result
// is known to about 2^-100 relative before its one final rounding to a double.
//
// Everything is plain double +, -, * (no fused multiply-add, no wider formats, no library
// calls): products are made exact with Veltkamp's split, sums with the two-sum trick.

namespace {

struct DD {
  double hi;
  double lo;
};

// s + e == a + b exactly.
DD TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  const double e = (a - (s - bb)) + (b - bb);
  return {s, e};
}

// The same when |a| >= |b| (or a == 0).
DD QuickTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// a == hi + lo with both halves of at most 26 significant bits, so their products are exact.
DD Split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// p + e == a * b exactly.
DD TwoProduct(double a, double b) {
  const double p = a * b;
  const DD as = Split(a);
  const DD bs = Split(b);
  const double e = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
  return {p, e};
}

DD Add(DD a, DD b) {
  DD s = TwoSum(a.hi, b.hi);
  const DD t = TwoSum(a.lo, b.lo);
  s.lo += t.hi;
  s = QuickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return QuickTwoSum(s.hi, s.lo);
}

DD AddDouble(DD a, double b) {
  DD s = TwoSum(a.hi, b);
  s.lo += a.lo;
  return QuickTwoSum(s.hi, s.lo);
}

DD Mul(DD a, DD b) {
  DD p = TwoProduct(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return QuickTwoSum(p.hi, p.lo);
}

// pi/2 in five parts. The first four have 33 significant bits, so k times any of them is
// exact for k < 2^20; the fifth takes the rest, rounded. Together: about 190 bits of pi/2.
constexpr double kHalfPi1 = 0x1.921fb54400000p+0;
constexpr double kHalfPi2 = 0x1.0b4611a600000p-34;
constexpr double kHalfPi3 = 0x1.3198a2e000000p-69;
constexpr double kHalfPi4 = 0x1.b839a25200000p-104;
constexpr double kHalfPi5 = 0x1.27044533e63a0p-142;
constexpr DD kHalfPi = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// Below this the five-part reduction is exact; above it the multi-word one takes over.
constexpr double kSplitLimit = 1048576.0;  // 2^20

// 2/pi = sum of kTwoOverPiWords[j] * 2^(-32 (j + 1)): enough words for every finite double.
constexpr uint32_t kTwoOverPiWords[] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041,
    0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C,
    0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484, 0xE99C7026, 0xB45F7E41,
    0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D,
    0x7527BAC7, 0xEBE5F17B, 0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08,
    0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
};

// 1/n! as double-doubles, n = 2 .. 19; the higher terms are small enough for single doubles.
constexpr DD kInverseFactorial[] = {
    {0x1.0000000000000p-1, 0.0},                                   // 2
    {0x1.5555555555555p-3, 0x1.5555555555555p-57},                 // 3
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},                 // 4
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},                 // 5
    {0x1.6c16c16c16c17p-10, -0x1.f49f49f49f49fp-65},               // 6
    {0x1.a01a01a01a01ap-13, 0x1.a01a01a01a01ap-73},                // 7
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},                // 8
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},               // 9
    {0x1.27e4fb7789f5cp-22, 0x1.cbbc05b4fa99ap-76},                // 10
    {0x1.ae64567f544e4p-26, -0x1.c062e06d1f209p-80},               // 11
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},               // 12
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},                // 13
    {0x1.93974a8c07c9dp-37, 0x1.05d6f8a2efd1fp-92},                // 14
    {0x1.ae7f3e733b81fp-41, 0x1.1d8656b0ee8cbp-97},                // 15
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},               // 16
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},               // 17
    {0x1.6827863b97d97p-53, 0x1.eec01221a8b0bp-107},               // 18
    {0x1.2f49b46814157p-57, 0x1.2650f61dbdcb4p-112},               // 19
};
DD InverseFactorial(int n) { return kInverseFactorial[n - 2]; }

// 1/n! rounded to double, n = 20 .. 29.
constexpr double kSmallInverseFactorial[] = {
    0x1.e542ba4020225p-62, 0x1.71b8ef6dcf572p-66, 0x1.0ce396db7f853p-70,
    0x1.761b41316381ap-75, 0x1.f2cf01972f578p-80, 0x1.3f3ccdd165fa9p-84,
    0x1.88e85fc6a4e5ap-89, 0x1.d1ab1c2dccea3p-94, 0x1.0a18a2635085dp-98,
    0x1.259f98b4358adp-103,
};
double SmallInverseFactorial(int n) { return kSmallInverseFactorial[n - 20]; }

// The reduced argument and the quadrant: x = r + quadrant pi/2 (mod 2 pi).
struct Reduced {
  DD r;
  unsigned quadrant;
};

// 0 <= x < 2^20. k < 2^20, so k times each 33-bit part is exact, and x - k part1 is exact
// too (both are multiples of the smaller of their ulps and the difference is below 1).
Reduced ReduceWithSplit(double x) {
  if (x <= 0x1.921fb54442d18p-1) return {{x, 0.0}, 0};  // below pi/4: nothing to take off
  const double shifter = 0x1.8p52;
  const double k = (x * kTwoOverPi + shifter) - shifter;  // nearest integer
  DD r = TwoSum(x - k * kHalfPi1, -(k * kHalfPi2));
  r = AddDouble(r, -(k * kHalfPi3));
  r = AddDouble(r, -(k * kHalfPi4));
  r = AddDouble(r, -(k * kHalfPi5));
  return {r, static_cast<unsigned>(static_cast<int32_t>(k)) & 3u};
}

// x >= 2^20, finite. With x = m 2^e (m a 53-bit integer), x 2/pi mod 4 is an integer part
// and a fraction of m times a window of 2/pi's bits: the words before the window add
// multiples of 4, the words after it less than 2^-170.
Reduced ReduceExactly(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const uint64_t m = (bits & 0x000FFFFFFFFFFFFFull) | 0x0010000000000000ull;
  const int e = static_cast<int>((bits >> 52) & 0x7FF) - 1075;  // x = m 2^e, e >= -32
  const int first = e >= 2 ? (e - 2) / 32 : 0;

  // z = m * window, little-endian 32-bit limbs; x 2/pi = z 2^-point (mod 4, nearly).
  constexpr int kWindow = 8;
  uint32_t window[kWindow];
  for (int i = 0; i < kWindow; ++i) window[i] = kTwoOverPiWords[first + kWindow - 1 - i];
  uint32_t z[kWindow + 2] = {};
  const uint32_t halves[2] = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32)};
  for (int h = 0; h < 2; ++h) {
    uint64_t carry = 0;
    for (int i = 0; i < kWindow; ++i) {
      const uint64_t t = static_cast<uint64_t>(window[i]) * halves[h] + z[i + h] + carry;
      z[i + h] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    z[kWindow + h] = static_cast<uint32_t>(carry);
  }
  const int point = 32 * (first + kWindow) - e;  // 223 .. 288
  auto bit = [&z](int i) { return (z[i / 32] >> (i % 32)) & 1u; };
  unsigned quadrant = bit(point) | (bit(point + 1) << 1);

  // The fraction's limbs; past a half, take it from the next integer instead.
  const int top = (point - 1) / 32;
  uint32_t f[kWindow + 2] = {};
  for (int i = 0; i <= top; ++i) f[i] = z[i];
  if (point % 32 != 0) f[top] &= (1u << (point % 32)) - 1u;
  double sign = 1.0;
  if (bit(point - 1)) {
    ++quadrant;
    sign = -1.0;
    uint64_t carry = 1;
    for (int i = 0; i <= top; ++i) {
      const uint64_t t = static_cast<uint64_t>(~f[i]) + carry;
      f[i] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    if (point % 32 != 0) f[top] &= (1u << (point % 32)) - 1u;
  }

  // fraction = sum of f[i] 2^(32 i - point), summed from the highest non-zero limb down.
  int lead = top;
  while (lead > 0 && f[lead] == 0) --lead;
  double scale = 1.0;  // 2^(32 lead - point), built by exact halvings and doublings
  for (int i = 32 * lead - point; i < 0; ++i) scale *= 0.5;
  for (int i = 32 * lead - point; i > 0; --i) scale *= 2.0;
  DD fraction = {0.0, 0.0};
  for (int i = lead; i >= 0 && i > lead - 5; --i) {
    fraction = AddDouble(fraction, static_cast<double>(f[i]) * scale);
    scale *= 0x1p-32;
  }
  DD r = Mul(fraction, kHalfPi);
  r.hi *= sign;
  r.lo *= sign;
  return {r, quadrant & 3u};
}

// sum over n = first, first + 2, ... of (-1)^((n - first) / 2) z^((n - first) / 2) / n!, for
// z = r^2 <= (pi/4)^2 * 1.001: the terms from 20 on in doubles, the rest in double-double.
DD Series(DD z, int first) {
  const int doubleStart = first + 2 * ((20 - first + 1) / 2);  // first n >= 20 of this parity
  const double sign = ((doubleStart - first) / 2) % 2 == 0 ? 1.0 : -1.0;
  double tail = 0.0;
  for (int n = 28 + (first % 2); n >= doubleStart; n -= 2) {
    tail = tail * -z.hi + SmallInverseFactorial(n);
  }
  DD sum = {sign * tail, 0.0};
  for (int n = doubleStart - 2; n >= first; n -= 2) {
    const DD c = InverseFactorial(n);
    const bool positive = ((n - first) / 2) % 2 == 0;
    sum = Add(Mul(sum, z), positive ? c : DD{-c.hi, -c.lo});
  }
  return sum;
}

// sin r = r - r z (1/3! - z/5! + ...)
DD SinSeries(DD r) {
  const DD z = Mul(r, r);
  const DD p = Mul(Mul(r, z), Series(z, 3));
  return Add(r, DD{-p.hi, -p.lo});
}

// cos r = 1 - z (1/2! - z/4! + ...)
DD CosSeries(DD r) {
  const DD z = Mul(r, r);
  const DD p = Mul(z, Series(z, 2));
  return AddDouble(DD{-p.hi, -p.lo}, 1.0);
}

}  // namespace

double FlameSine(double x) {
  if (x != x || x - x != 0.0) return x - x;  // NaN, or an infinity: NaN
  const bool negative = x < 0.0;
  const double a = negative ? -x : x;
  // sin a = a - a^3/6 + ...: below 2^-26 the correction is under a quarter of a's ulp gap.
  if (a < 0x1p-26) return x;
  const Reduced reduced = a < kSplitLimit ? ReduceWithSplit(a) : ReduceExactly(a);
  DD s = (reduced.quadrant & 1u) ? CosSeries(reduced.r) : SinSeries(reduced.r);
  double result = s.hi + s.lo;  // s is normalised, so this is s.hi, rounded once
  if (reduced.quadrant & 2u) result = -result;
  return negative ? -result : result;
}
