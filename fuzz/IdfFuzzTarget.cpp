#include "fuzz/IdfFuzzTarget.h"

#include "CommonObjects/IDFfile.h"
#include "CommonObjects/PcbObjectList.h"
#include "host/dialog/FigureChecks.h"

void PrepareFuzzFileSet(TIDFfile& F, const std::string& Board) {
  platform::SetDecimalSeparator('.');
  F.OutputUnits = utCM;
  F.IgnoreRegionalDecPoint = true;
  F.SetDecimalSep();
  F.BoardFile = TFilePath::Split("/fuzz/board.emn");
  F.BoardStrings.SetText(Board);
}

TFuzzFilePair SplitFuzzInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find(kFuzzLibrarySeparator);
  if (cut == std::string::npos) return {input, {}};
  return {input.substr(0, cut), input.substr(cut + kFuzzLibrarySeparator.size())};
}

int IdfFuzzOne(const std::uint8_t* data, std::size_t size) {
  const auto [board, library] = SplitFuzzInput(data, size);
  TIDFfile f;
  PrepareFuzzFileSet(f, board);
  f.LibFile = TFilePath::Split(library.empty() ? std::string() : "/fuzz/board.emp");
  if (!library.empty()) f.LibStrings.SetText(library);
  try {
    if (f.PreFormatIdfData()) f.LoadIdfData();
  } catch (const EListIndexError&) {
    // A file that cleans down to nothing: the loader hands this to its caller by design.
    return 0;
  }
  f.UpdateBoardThickness();
  // Every section as the model building will see it: outline lists chained into loops, hole
  // lists by category with and without a size filter.
  for (const auto& s : f.SectionList()) {
    if (s->SectType == stDRILLED_HOLES) {
      for (THoleType h : {htPIN, htVIA, htMTG, htTOOL, htOTHER})
        for (TPlatingStyle p : {psPTH, psNPTH}) {
          TBoardOutlineObjectList holes;
          f.DrilledHolesSectionToOutlineList(s.get(), h, p, (static_cast<int>(h) + static_cast<int>(p)) % 2 == 0,
                                             p == psPTH, 0.05, holes);
          holes.MakeListWithTolerance(holes, 0.0001, 0.0001);
          // What a hole sketch would be given.
          TBoardOutlineObjectList kept;
          std::vector<std::string> problems;
          figurechecks::SketchableFigures(holes, 0.0001, "CM", kept, problems);
        }
    } else if (s->SectType != stHEADER && s->SectType != stNOTES && s->SectType != stPLACEMENT) {
      TBoardOutlineObjectList raw;
      f.SectionToOutlineList(s.get(), raw, 1.0);
      // The loops a board or feature sketch would be given.
      TBoardOutlineObjectList buildable, sketchable;
      std::vector<std::string> problems;
      figurechecks::BuildableBoardLoops(raw, 0.0001, "CM", buildable, problems);
      figurechecks::SketchableFigures(raw, 0.0001, "CM", sketchable, problems);
      TBoardOutlineObjectList loops;
      loops.MakeListWithTolerance(raw, 0.0001, 0.0001);
      loops.Mirror(true, false, true);
      loops.ApplyFactor(10.0);
    }
  }
  return 0;
}
