#include "IdfFuzzTarget.h"

#include "IDFfile.h"

int IdfFuzzOne(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string board = input, library;
  const std::size_t cut = input.find(kFuzzLibrarySeparator);
  if (cut != std::string::npos) {
    board = input.substr(0, cut);
    library = input.substr(cut + kFuzzLibrarySeparator.size());
  }
  platform::SetDecimalSeparator('.');
  TIDFfile f;
  f.OutputUnits = utCM;
  f.IgnoreRegionalDecPoint = true;
  f.SetDecimalSep();
  f.BoardFile = TFilePath::Split("/fuzz/board.emn");
  f.LibFile = TFilePath::Split(library.empty() ? std::string() : "/fuzz/board.emp");
  f.BoardStrings.SetText(board);
  if (!library.empty()) f.LibStrings.SetText(library);
  try {
    if (f.PreFormatIdfData()) f.LoadIdfData();
  } catch (const EListIndexError&) {
    // A file that cleans down to nothing: the loader hands this to its caller by design.
    return 0;
  }
  f.UpdateBoardThickness();
  return 0;
}
