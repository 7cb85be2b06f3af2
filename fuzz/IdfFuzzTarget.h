#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class TIDFfile;

// The text that splits a fuzz input into a board file and a library file.
inline const std::string kFuzzLibrarySeparator = "\n%%LIBRARY%%\n";

// One fuzz input as a board text and a library text (empty without the separator).
struct TFuzzFilePair {
  std::string Board;
  std::string Library;
};
TFuzzFilePair SplitFuzzInput(const std::uint8_t* data, std::size_t size);

// Feeds one input to the IDF reader as a board file and a library file, and everything the
// reader hands its sections to. Returns 0; a fault shows up as a crash or a sanitizer report.
int IdfFuzzOne(const std::uint8_t* data, std::size_t size);

// A file set as both targets read it: centimetres, "." as the decimal separator, the board text
// under a fixed name.
void PrepareFuzzFileSet(TIDFfile& F, const std::string& Board);
