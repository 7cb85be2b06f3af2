#include "corvane/StepText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

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

void AppendStepReal(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0;  // the format has no infinities; geometry never holds them
  if (v == 0) v = 0;             // no "-0."
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
