#include "corvane/StepText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace corvane {
namespace {
constexpr size_t kMargin = size_t(1) << 16;
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
  FOut.clear();
}

TStepText& TStepText::Ref(int id) {
  FOut += '#';
  return Int(id);
}

TStepText& TStepText::Int(long v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  FOut.append(buf, static_cast<size_t>(r.ptr - buf));
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
// in extended precision is several times quicker than the general conversion. False when the
// product cannot tell (digits near a half, exponents out of reach); the caller converts then.
bool AppendRealQuickly(std::string& out, double v) {
  if constexpr (std::numeric_limits<long double>::digits < 64) return false;
  const double a = std::fabs(v);
  if (!(a >= 1e-13 && a < 1e15)) return false;
  // Powers of ten up to 10^27 are exact in a 64-bit mantissa.
  static const auto kPow10 = [] {
    std::array<long double, 28> p{};
    p[0] = 1;
    for (size_t k = 1; k < p.size(); ++k) p[k] = p[k - 1] * 10;
    return p;
  }();
  int x = static_cast<int>(std::floor(std::log10(a)));
  long double p = 0;
  for (int tries = 0;; ++tries) {
    if (tries == 3 || x < -13 || x > 14) return false;
    p = static_cast<long double>(a) * kPow10[14 - x];  // one rounding: within 3e-5 of exact
    if (p < 1e14L) {
      --x;
    } else if (p >= 1e15L) {
      ++x;
    } else {
      break;
    }
  }
  const long double whole = std::floor(p), frac = p - whole;
  if (std::fabs(frac - 0.5L) < 1e-3L || p < 1e14L + 1e-3L || p > 1e15L - 1e-3L) return false;
  long long m = static_cast<long long>(whole) + (frac > 0.5L ? 1 : 0);
  if (m == 1000000000000000LL) m /= 10, ++x;
  char digits[16];
  for (int k = 14; k >= 0; --k, m /= 10) digits[k] = static_cast<char>('0' + m % 10);
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
  if (v == 0) v = 0;             // no "-0."
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
