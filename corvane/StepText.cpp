#include "corvane/StepText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace corvane {
namespace {
constexpr size_t kMargin = size_t(1) << 16;
// Decimal digits two at a time.
constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
}  // namespace

int TStepText::Begin(int id) {
  if (FSink && FOut.size() >= FChunk) Flush();
  // Grown by an eighth, not doubled: a board's text runs to hundreds of megabytes. Only an
  // entity longer than the margin (a shell's list of faces) can still make it double.
  if (FOut.capacity() - FOut.size() < kMargin) FOut.reserve(FOut.size() + FOut.size() / 8 + 4 * kMargin);
  FOut += '#';
  Int(id);
  FOut += '=';
  return id;
}

void TStepText::StreamTo(std::function<void(std::string_view)> sink, size_t chunk) {
  FSink = std::move(sink);
  FChunk = chunk;
  FOut.reserve(FOut.size() + chunk + chunk / 4);
}

void TStepText::Flush() {
  if (!FSink || FOut.empty()) return;
  FSink(FOut);
  FStreamed += FOut.size();
  FOut.clear();
}

TStepText& TStepText::Ref(int id) {
  FOut += '#';
  return Int(id);
}

TStepText& TStepText::Int(long v) {
  // Entity numbers, a million of them in a large board: written from the last digit back,
  // without the general conversion's length count.
  char buf[24];
  char* const end = buf + sizeof buf;
  char* o = end;
  unsigned long u = v < 0 ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
  for (; u >= 100; u /= 100) std::memcpy(o -= 2, kPairs + 2 * (u % 100), 2);
  if (u >= 10)
    std::memcpy(o -= 2, kPairs + 2 * u, 2);
  else
    *--o = static_cast<char>('0' + u);
  if (v < 0) *--o = '-';
  FOut.append(o, static_cast<size_t>(end - o));
  return *this;
}

TStepText& TStepText::Real(double v) {
  AppendStepReal(FOut, v);
  return *this;
}

TStepText& TStepText::Str(std::string_view s) {
  AppendStepString(FOut, s);
  return *this;
}

TStepText& TStepText::Triple(double x, double y, double z) {
  FOut += '(';
  Real(x);
  FOut += ',';
  Real(y);
  FOut += ',';
  Real(z);
  FOut += ')';
  return *this;
}

int TStepText::Entity(std::string_view text) {
  int id = Begin();
  FOut += text;
  FOut += ";\n";
  return id;
}

namespace {

// Most coordinates have a few decimals: rounding them to 15 significant digits by one product
// is several times quicker than the general conversion. False when the product cannot tell
// (digits near a half, exponents out of reach); the caller converts then.
bool AppendRealQuickly(std::string& out, double v) {
  const double a = std::fabs(v);
  if (!(a >= 1e-8 && a < 1e15)) return false;
  // Powers of ten up to 10^22 are exact doubles.
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  int x = static_cast<int>(std::floor(std::ilogb(a) * 0.30102999566398120));  // within one of the exponent
  double p = 0;
  for (int tries = 0;; ++tries) {
    if (tries == 3 || x < -8 || x > 14) return false;
    p = a * kPow10[14 - x];  // one rounding: within 0.0625 of exact below 10^15
    if (p < 1e14) {
      --x;
    } else if (p >= 1e15) {
      ++x;
    } else {
      break;
    }
  }
  const double whole = std::floor(p), frac = p - whole;
  if (std::fabs(frac - 0.5) < 0.07 || p < 1e14 + 0.07 || p > 1e15 - 0.07) return false;
  const auto m = static_cast<uint64_t>(whole) + (frac > 0.5 ? 1 : 0);
  // Fifteen digits, two at a time.
  char digits[16];
  auto hi = static_cast<uint32_t>(m / 100000000), lo = static_cast<uint32_t>(m % 100000000);
  for (int k = 13; k >= 7; k -= 2, lo /= 100) std::memcpy(digits + k, kPairs + 2 * (lo % 100), 2);
  for (int k = 5; k >= 1; k -= 2, hi /= 100) std::memcpy(digits + k, kPairs + 2 * (hi % 100), 2);
  digits[0] = static_cast<char>('0' + hi);  // 10 when rounding carried into a new digit
  if (hi == 10) {
    digits[0] = '1';
    if (++x > 14) return false;  // written with an exponent
  }
  int used = 15;
  while (used > 1 && digits[used - 1] == '0') --used;
  char buf[40];
  char* o = buf;
  if (v < 0) *o++ = '-';
  if (x < -4) {  // as %g writes it: d.ddd and an exponent of at least two digits
    *o++ = digits[0];
    *o++ = '.';
    for (int k = 1; k < used; ++k) *o++ = digits[k];
    *o++ = 'E';
    *o++ = '-';
    *o++ = static_cast<char>('0' + (-x) / 10);
    *o++ = static_cast<char>('0' + (-x) % 10);
  } else if (x < 0) {
    *o++ = '0';
    *o++ = '.';
    for (int k = -1; k > x; --k) *o++ = '0';
    for (int k = 0; k < used; ++k) *o++ = digits[k];
  } else {
    for (int k = 0; k <= x; ++k) *o++ = digits[k];
    *o++ = '.';
    for (int k = x + 1; k < used; ++k) *o++ = digits[k];
  }
  out.append(buf, static_cast<size_t>(o - buf));
  return true;
}

}  // namespace

void AppendStepReal(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0;  // the format has no infinities; geometry never holds them
  // No "-0."; and most coordinates of a board lie on its axes.
  if (v == 0) {
    out += "0.";
    return;
  }
  if (AppendRealQuickly(out, v)) return;
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  char* end = r.ptr;
  char* e = std::find(buf, end, 'e');
  // Mantissa needs a decimal point: "6" -> "6.", "1e-07" -> "1.E-07".
  out.append(buf, static_cast<size_t>(e - buf));
  if (std::find(buf, e, '.') == e) out += '.';
  if (e != end) {
    out += 'E';
    out.append(e + 1, static_cast<size_t>(end - e - 1));
  }
}

namespace {

// The next code point of valid UTF-8; a stray byte stands for itself (Latin-1).
uint32_t NextCodePoint(std::string_view s, size_t& i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  int n = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
  if (c < 0x80 || n == 0 || i + n >= s.size()) {
    ++i;
    return c;
  }
  uint32_t cp = c & (0x3F >> n);
  for (int k = 1; k <= n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  i += n + 1;
  return cp;
}

void Hex(std::string& out, uint32_t v, int digits) {
  static const char* kHex = "0123456789ABCDEF";
  for (int k = digits - 1; k >= 0; --k) out += kHex[(v >> (4 * k)) & 0xF];
}

}  // namespace

void AppendStepString(std::string& out, std::string_view s) {
  out += '\'';
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7F) {
      if (c == '\'') out += '\'';
      if (c == '\\') out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    // A run of characters outside printable ASCII in one directive.
    bool wide = false;
    size_t j = i;
    while (j < s.size()) {
      unsigned char d = static_cast<unsigned char>(s[j]);
      if (d >= 0x20 && d < 0x7F) break;
      wide = wide || NextCodePoint(s, j) > 0xFFFF;
    }
    out += wide ? "\\X4\\" : "\\X2\\";
    while (i < j) Hex(out, NextCodePoint(s, i), wide ? 8 : 4);
    out += "\\X0\\";
  }
  out += '\'';
}

}  // namespace corvane
