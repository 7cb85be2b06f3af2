#pragma once
// Text helpers shared by the IDF reader and the logs, and the string list that holds file lines
// and logs. Upper case folds only the ASCII letters.
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "CommonObjects/IdfEnums.h"

// Raised for an item or line asked for beyond the end of a list.
class EListIndexError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// Raised for a text that is not a number.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ASCII case: names the program compares (packages, keys, paths, keywords) fold only A-Z and
// a-z; every other byte, UTF-8 sequences included, stays as it is.
constexpr char UpCaseAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char LowCaseAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string UpperCase(std::string text);
std::string LowerCase(std::string text);
bool SameTextAscii(std::string_view a, std::string_view b);
// The order that goes with SameTextAscii: bytes compared after folding.
bool LessIgnoringCase(std::string_view a, std::string_view b);
bool ContainsText(const std::string& upperHaystack, const std::string& upperNeedle);
// Whether haystack, read in upper case, contains the upper-case needle; an empty needle never matches.
bool ContainsTextIgnoringCase(const std::string& haystack, const std::string& upperNeedle);

std::string DeleteAll(const std::string& InputStr, const std::string& DelStr);
std::string TabString(const std::string& InputStr, int TabNumber);
std::string DelimitStr(const std::string& InputStr);
std::string ReplaceChars(std::string InputStr, char SearchChar, char ReplaceChar);
std::string ReplaceQuotedChars(std::string InputStr, char SearchChar, char ReplaceChar);
std::string ValidateFileName(std::string InFileName);
std::string FixDecimalSeparator(std::string aNumberStr);
std::string RemoveQuotes(const std::string& Text);
std::string RemoveExtension(const std::string& FilenameWithExt);
std::string RemoveExt(const std::string& FileName);

// Comma text: the list form in which each cleaned IDF line is stored.
std::vector<std::string> CommaTextToList(const std::string& text);
// The same into a vector that is reused from line to line.
void CommaTextToList(const std::string& text, std::vector<std::string>& items);
std::string ListToCommaText(const std::vector<std::string>& items);

// Numbers with the process-wide decimal separator: optional sign, digits, at most one
// separator, an optional exponent, blanks around; anything else (also inf, nan, overflow)
// raises EConvertError with a message naming the text.
double StrToFloat(const std::string& text);
bool TryStrToFloat(const std::string& text, double& value);
// Written as a number (sign, digits, separator, exponent), whether or not a double holds it:
// what TryStrToFloat refuses then is out of range rather than no number.
bool NumberShaped(const std::string& text);
int StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, int& value);
// One to eight hex digits of either case, nothing else.
bool TryHexToUInt32(std::string_view digits, std::uint32_t& value);
// Fixed-point text with the current decimal separator.
std::string FormatFloat(double value, int decimals);

class TSearchStringList {
 public:
  TSearchStringList() = default;

  int Count() const { return static_cast<int>(fLines.size()); }
  bool Empty() const { return fLines.empty(); }
  // Index errors raise EListIndexError, as a read beyond a file's last line must.
  const std::string& Get(int index) const;
  void Put(int index, std::string line);
  const std::string& operator[](int index) const { return Get(index); }
  int Add(std::string line);
  void Insert(int index, std::string line);
  void Delete(int index);
  void Clear();
  void AddStrings(const TSearchStringList& other);
  const std::vector<std::string>& Lines() const { return fLines; }
  std::vector<std::string>& Lines() { return fLines; }
  std::string Text() const;         // lines joined with "\n", each ended by it
  const std::string& Last() const;  // empty text for an empty list

  // Replaces the content with the lines of a text file. Raises std::runtime_error when the
  // file cannot be read.
  void LoadFromFile(const std::string& path);
  void SetText(const std::string& text);

  std::string CommaText() const { return ListToCommaText(fLines); }
  void SetCommaText(const std::string& text) { fLines = CommaTextToList(text); }

  void AddTabbed(std::initializer_list<std::string> Strings);
  void AddTabbed(const std::vector<std::string>& Strings);
  void DelimitStrings();
  int FindFirst(const std::string& SearchStr);
  int FindAfter(const std::string& SearchStr, int StartPos);
  int FindNext();

  int FTabbedWidth = 3;
  int FSearchIndex = 0;
  std::string FSearchString;

 private:
  std::vector<std::string> fLines;
};

// Decodes a file's bytes into lines: a byte-order mark selects UTF-8 or UTF-16 (LE or BE);
// without one, valid UTF-8 stays as it is and anything else is read as Windows-1252.
// CR LF, LF and CR each end a line.
std::vector<std::string> DecodeTextLines(const std::string& bytes);
