#include "CommonObjects/IdfStrUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "CommonObjects/FileUtils.h"
#include "platform/Platform.h"

namespace {
bool IsBlankOrControl(unsigned char c) { return c <= ' '; }

std::string TrimBlanks(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlankOrControl(s[b])) ++b;
  while (e > b && IsBlankOrControl(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string TrimLeftBlanks(const std::string& s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlankOrControl(s[b])) ++b;
  return s.substr(b);
}

std::string ReplaceAll(const std::string& s, const std::string& from, const std::string& to) {
  if (from.empty()) return s;
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = s.find(from, pos);
    if (hit == std::string::npos) break;
    out.append(s, pos, hit - pos);
    out += to;
    pos = hit + from.size();
  }
  out.append(s, pos, std::string::npos);
  return out;
}

// The extension of the file-name part, with its dot; empty when the name has no dot.
std::string ExtensionOf(const std::string& path) {
  const std::string name = ExtractForeignName(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}
}  // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpCaseAscii(a[i]) != UpCaseAscii(b[i])) return false;
  return true;
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(UpCaseAscii(x)) < static_cast<unsigned char>(UpCaseAscii(y));
  });
}

std::string UpperCase(std::string text) {
  for (char& c : text) c = UpCaseAscii(c);
  return text;
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = LowCaseAscii(c);
  return text;
}

bool TryHexToUInt32(std::string_view digits, std::uint32_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  const char* end = digits.data() + digits.size();
  std::uint32_t v = 0;
  const auto r = std::from_chars(digits.data(), end, v, 16);
  if (r.ec != std::errc() || r.ptr != end) return false;
  value = v;
  return true;
}

bool ContainsTextIgnoringCase(const std::string& haystack, const std::string& upperNeedle) {
  const std::size_t n = upperNeedle.size(), m = haystack.size();
  if (n == 0 || n > m) return false;
  const char first = upperNeedle[0];
  const bool letter = first >= 'A' && first <= 'Z';
  for (std::size_t i = 0; i + n <= m; ++i) {
    if (!letter) {
      // Section keywords start with a dot: let memchr find the candidates.
      const void* hit = std::memchr(haystack.data() + i, first, m - n + 1 - i);
      if (!hit) return false;
      i = static_cast<std::size_t>(static_cast<const char*>(hit) - haystack.data());
    } else if (UpCaseAscii(haystack[i]) != first) {
      continue;
    }
    std::size_t k = 1;
    while (k < n && UpCaseAscii(haystack[i + k]) == upperNeedle[k]) ++k;
    if (k == n) return true;
  }
  return false;
}

bool ContainsText(const std::string& upperHaystack, const std::string& upperNeedle) {
  return !upperNeedle.empty() && upperHaystack.find(upperNeedle) != std::string::npos;
}

std::string DeleteAll(const std::string& InputStr, const std::string& DelStr) {
  if (InputStr.empty() || DelStr.empty()) return InputStr;
  std::string s = InputStr;
  // Deleting can join characters into a new occurrence; searching again from just before
  // the cut catches it without rescanning the whole text.
  std::size_t from = 0;
  for (;;) {
    std::size_t hit = s.find(DelStr, from);
    if (hit == std::string::npos) break;
    s.erase(hit, DelStr.size());
    from = hit >= DelStr.size() ? hit - DelStr.size() + 1 : 0;
  }
  return s;
}

std::string TabString(const std::string& InputStr, int TabNumber) {
  int n = TabNumber - static_cast<int>(InputStr.size() / 8);
  return n > 0 ? InputStr + std::string(static_cast<std::size_t>(n), '\t') : InputStr;
}

std::string ReplaceChars(std::string InputStr, char SearchChar, char ReplaceChar) {
  for (char& c : InputStr)
    if (c == SearchChar) c = ReplaceChar;
  return InputStr;
}

std::string ReplaceQuotedChars(std::string InputStr, char SearchChar, char ReplaceChar) {
  bool inside = false;
  for (char& c : InputStr) {
    if (c == '"') inside = !inside;
    if (c == SearchChar && inside) c = ReplaceChar;
  }
  return InputStr;
}

namespace {
// The same field rule for a line without double quotes, in one pass.
std::string DelimitUnquoted(const std::string& in) {
  std::size_t b = 0, e = in.size();
  while (b < e && IsBlankOrControl(in[b])) ++b;
  while (e > b && IsBlankOrControl(in[e - 1])) --e;
  std::string out;
  out.reserve(e - b + 8);
  out += '"';
  std::size_t i = b;
  while (i < e) {
    std::size_t start = i;
    while (i < e && in[i] != ' ' && in[i] != '\t') ++i;
    out.append(in, start, i - start);
    if (i < e) {
      out += "\",\"";
      while (i < e && IsBlankOrControl(in[i])) ++i;
    }
  }
  out += '"';
  return out;
}
}  // namespace

std::string DelimitStr(const std::string& InputStr) {
  if (InputStr.find('"') == std::string::npos) return DelimitUnquoted(InputStr);
  std::string s = ReplaceChars(TrimBlanks(InputStr), '\t', ' ');
  const bool quoted = s.find('"') != std::string::npos;
  if (quoted) {
    s = ReplaceAll(s, "\"\"", "\"UNKNOWN\"");
    s = ReplaceQuotedChars(s, ' ', '\0');
    s = DeleteAll(s, "\"");
  }
  std::string out;
  auto emit = [&out](const std::string& field) {
    if (!out.empty()) out += ',';
    out += '"';
    out += field;
    out += '"';
  };
  std::size_t blank;
  while ((blank = s.find(' ')) != std::string::npos) {
    emit(s.substr(0, blank));
    s = TrimLeftBlanks(s.substr(blank + 1));
  }
  emit(s);
  if (quoted) out = ReplaceChars(out, '\0', ' ');
  return out;
}

std::string ValidateFileName(std::string InFileName) {
  for (char& c : InFileName) {
    switch (c) {
      case '\\':
      case '/':
      case ':':
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|': c = '_'; break;
      default: break;
    }
  }
  return InFileName;
}

std::string FixDecimalSeparator(std::string aNumberStr) {
  const char sep = platform::GetDecimalSeparator();
  if (sep != '.' && sep != ',') return aNumberStr;
  const char foreign = sep == '.' ? ',' : '.';
  std::size_t p = aNumberStr.find(foreign);
  if (p != std::string::npos) aNumberStr[p] = sep;
  return aNumberStr;
}

std::string RemoveQuotes(const std::string& Text) {
  if (Text.empty() || Text.front() != '"' || Text.back() != '"') return Text;
  std::string s = Text.substr(0, Text.size() - 1);
  return s.empty() ? s : s.substr(1);
}

std::string RemoveExtension(const std::string& FilenameWithExt) {
  std::string ext = ExtensionOf(FilenameWithExt);
  if (ext.empty()) return FilenameWithExt;
  std::string s = FilenameWithExt;
  s.erase(s.find(ext), ext.size());
  return s;
}

std::string RemoveExt(const std::string& FileName) {
  std::string ext = ExtensionOf(FileName);
  if (ext.empty()) return FileName;
  std::size_t p = UpperCase(FileName).find(UpperCase(ext));
  std::string s = FileName;
  s.erase(p, ext.size());
  return s;
}

void CommaTextToList(const std::string& text, std::vector<std::string>& items) {
  // Items are assigned in place so that a reused vector keeps its strings' buffers.
  std::size_t count = 0;
  auto next = [&]() -> std::string& {
    if (count == items.size()) items.emplace_back();
    std::string& s = items[count++];
    s.clear();
    return s;
  };
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto skip = [&] {
    while (i < n && IsBlankOrControl(text[i])) ++i;
  };
  skip();
  while (i < n) {
    std::string& item = next();
    if (text[i] == '"') {
      ++i;
      for (;;) {
        const std::size_t q = text.find('"', i);
        if (q == std::string::npos) {  // unterminated: the rest is the item
          item.append(text, i, n - i);
          i = n;
          break;
        }
        item.append(text, i, q - i);
        i = q + 1;
        if (i < n && text[i] == '"') {  // a doubled quote stands for one
          item += '"';
          ++i;
          continue;
        }
        break;
      }
    } else {
      const std::size_t start = i;
      while (i < n && text[i] != ',' && !IsBlankOrControl(text[i])) ++i;
      item.assign(text, start, i - start);
    }
    skip();
    if (i < n && text[i] == ',') {
      ++i;
      if (i == n) next();
      skip();
    }
  }
  items.resize(count);
}

std::vector<std::string> CommaTextToList(const std::string& text) {
  std::vector<std::string> items;
  CommaTextToList(text, items);
  return items;
}

std::string ListToCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (k) out += ',';
    const std::string& it = items[k];
    bool needQuotes = false;
    for (unsigned char c : it)
      if (c <= ' ' || c == ',' || c == '"') needQuotes = true;
    if (!needQuotes) {
      out += it;
      continue;
    }
    out += '"';
    for (char c : it) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

bool TryStrToFloat(const std::string& text, double& value) {
  const char sep = platform::GetDecimalSeparator();
  std::size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  // Check the grammar first; the conversion then runs on a canonical copy.
  char buf[128];
  std::size_t len = 0;
  auto put = [&](char c) {
    if (len + 1 >= sizeof buf) return false;
    buf[len++] = c;
    return true;
  };
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-' && !put('-')) return false;
    ++i;
  }
  std::size_t digits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    if (!put(text[i++])) return false;
    ++digits;
  }
  if (i < n && text[i] == sep) {
    if (!put('.')) return false;
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      if (!put(text[i++])) return false;
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    if (!put('e')) return false;
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
      if (text[i] == '-' && !put('-')) return false;
      ++i;
    }
    std::size_t expDigits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      if (!put(text[i++])) return false;
      ++expDigits;
    }
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  double v = 0;
  const char* first = buf[0] == '-' ? buf + 1 : buf;
  auto [ptr, ec] = std::from_chars(first, buf + len, v);
  if (ec == std::errc::result_out_of_range) {
    // Underflow to zero is a number; overflow is not.
    if (std::fabs(v) > 1.0 || v == 0) {
      errno = 0;
      std::string copy(buf, len);
      double w = std::strtod(copy.c_str(), nullptr);
      if (!std::isfinite(w) || std::fabs(w) > 1.0) return false;
      value = w;
      return true;
    }
  } else if (ec != std::errc() || ptr != buf + len) {
    return false;
  }
  if (!std::isfinite(v)) return false;
  value = buf[0] == '-' ? -v : v;
  return true;
}

bool NumberShaped(const std::string& text) {
  const char sep = platform::GetDecimalSeparator();
  std::size_t i = text.find_first_not_of(' '), digits = 0;
  if (i == std::string::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  for (; i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == sep); ++i)
    digits += text[i] != sep;
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  }
  return text.find_first_not_of(' ', i) == std::string::npos;
}

double StrToFloat(const std::string& text) {
  double v;
  if (TryStrToFloat(text, v)) return v;
  if (NumberShaped(text)) {
    const std::string shown =
        text.size() > 24 ? text.substr(0, 20) + "... (" + std::to_string(text.size()) + " characters)" : text;
    throw EConvertError("'" + shown + "' is out of range");
  }
  throw EConvertError("'" + text + "' is not a valid floating point value");
}

bool TryStrToInt(const std::string& text, int& value) {
  std::size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  long long v = 0;
  std::size_t digits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    v = v * 10 + (text[i++] - '0');
    if (v > 2147483648LL) return false;
    ++digits;
  }
  while (i < n && text[i] == ' ') ++i;
  if (digits == 0 || i != n) return false;
  if (neg) v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return false;
  value = static_cast<int>(v);
  return true;
}

int StrToInt(const std::string& text) {
  int v;
  if (!TryStrToInt(text, v)) throw EConvertError("'" + text + "' is not a valid integer value");
  return v;
}

std::string FormatFloat(double value, int decimals) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%0.*f", decimals, value);
  return ReplaceChars(buf, '.', platform::GetDecimalSeparator());
}

// ---- TSearchStringList ----

const std::string& TSearchStringList::Get(int index) const {
  if (index < 0 || index >= Count()) throw EListIndexError("List index out of bounds (" + std::to_string(index) + ")");
  return fLines[static_cast<std::size_t>(index)];
}

void TSearchStringList::Put(int index, std::string line) {
  Get(index);
  fLines[static_cast<std::size_t>(index)] = std::move(line);
}

int TSearchStringList::Add(std::string line) {
  fLines.push_back(std::move(line));
  return Count() - 1;
}

void TSearchStringList::Insert(int index, std::string line) {
  if (index < 0 || index > Count()) throw EListIndexError("List index out of bounds (" + std::to_string(index) + ")");
  fLines.insert(fLines.begin() + index, std::move(line));
}

void TSearchStringList::Delete(int index) {
  Get(index);
  fLines.erase(fLines.begin() + index);
}

void TSearchStringList::Clear() { fLines.clear(); }

void TSearchStringList::AddStrings(const TSearchStringList& other) {
  fLines.insert(fLines.end(), other.fLines.begin(), other.fLines.end());
}

std::string TSearchStringList::Text() const {
  std::string out;
  for (const auto& l : fLines) {
    out += l;
    out += '\n';
  }
  return out;
}

const std::string& TSearchStringList::Last() const {
  static const std::string empty;
  return fLines.empty() ? empty : fLines.back();
}

void TSearchStringList::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\"");
  std::string bytes;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size > 0) {
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(bytes.data(), size);
    bytes.resize(static_cast<std::size_t>(in.gcount()));
  } else {
    // Not seekable (a pipe or a special file): read what comes.
    in.clear();
    in.seekg(0, std::ios::beg);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (in.bad()) throw std::runtime_error("Cannot read file \"" + path + "\"");
  fLines = DecodeTextLines(bytes);
}

void TSearchStringList::SetText(const std::string& text) { fLines = DecodeTextLines(text); }

void TSearchStringList::AddTabbed(std::initializer_list<std::string> Strings) {
  AddTabbed(std::vector<std::string>(Strings));
}

void TSearchStringList::AddTabbed(const std::vector<std::string>& Strings) {
  std::string line;
  for (std::size_t i = 0; i < Strings.size(); ++i)
    line += (i + 1 < Strings.size()) ? TabString(Strings[i], FTabbedWidth) : Strings[i];
  Add(std::move(line));
}

void TSearchStringList::DelimitStrings() {
  std::size_t kept = 0;
  for (auto& l : fLines) {
    std::string d = DelimitStr(l);
    if (d != "\"\"") fLines[kept++] = std::move(d);
  }
  fLines.resize(kept);
}

int TSearchStringList::FindFirst(const std::string& SearchStr) { return FindAfter(SearchStr, 0); }

int TSearchStringList::FindAfter(const std::string& SearchStr, int StartPos) {
  FSearchString = UpperCase(SearchStr);
  FSearchIndex = StartPos;
  return FindNext();
}

int TSearchStringList::FindNext() {
  if (FSearchIndex < 0) FSearchIndex = 0;
  for (int i = FSearchIndex; i < Count(); ++i) {
    if (ContainsTextIgnoringCase(fLines[static_cast<std::size_t>(i)], FSearchString)) {
      FSearchIndex = i + 1;
      return i;
    }
  }
  FSearchIndex = Count();
  return -1;
}

// ---- decoding ----

namespace {
void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Utf16ToUtf8(const std::string& bytes, std::size_t start, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](std::size_t i) -> char16_t {
    auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  std::size_t i = start;
  while (i + 1 < bytes.size()) {
    char32_t u = unit(i);
    i += 2;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < bytes.size()) {
      char32_t lo = unit(i);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        i += 2;
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        continue;
      }
      u = 0xFFFD;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = 0xFFFD;
    }
    AppendUtf8(out, u);
  }
  return out;
}

bool IsValidUtf8(const std::string& s, std::size_t start) {
  std::size_t i = start, n = s.size();
  while (i < n) {
    // Plain ASCII eight bytes at a time.
    while (i + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, s.data() + i, 8);
      if (w & 0x8080808080808080ULL) break;
      i += 8;
    }
    if (i >= n) break;
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int len;
    char32_t cp;
    if ((c & 0xE0) == 0xC0)
      len = 2, cp = c & 0x1F;
    else if ((c & 0xF0) == 0xE0)
      len = 3, cp = c & 0x0F;
    else if ((c & 0xF8) == 0xF0)
      len = 4, cp = c & 0x07;
    else
      return false;
    if (i + static_cast<std::size_t>(len) > n) return false;
    for (int k = 1; k < len; ++k) {
      auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += static_cast<std::size_t>(len);
  }
  return true;
}

std::string Cp1252ToUtf8(const std::string& s) {
  static const char16_t k80[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                   0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) {
    if (c < 0x80)
      out += static_cast<char>(c);
    else if (c < 0xA0)
      AppendUtf8(out, k80[c - 0x80]);
    else
      AppendUtf8(out, c);
  }
  return out;
}
}  // namespace

std::vector<std::string> DecodeTextLines(const std::string& bytes) {
  std::string text;
  auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
    text = bytes.substr(3);
  } else if (bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
    text = Utf16ToUtf8(bytes, 2, false);
  } else if (bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
    text = Utf16ToUtf8(bytes, 2, true);
  } else if (IsValidUtf8(bytes, 0)) {
    text = bytes;
  } else {
    text = Cp1252ToUtf8(bytes);
  }
  std::vector<std::string> lines;
  lines.reserve(text.size() / 32 + 1);
  std::size_t start = 0;
  const std::size_t n = text.size();
  while (start < n) {
    std::size_t i = start;
    while (i < n && text[i] != '\n' && text[i] != '\r') ++i;
    if (i == n) {
      lines.emplace_back(text, start, n - start);
      break;
    }
    lines.emplace_back(text, start, i - start);
    start = i + ((text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1);
  }
  return lines;
}
