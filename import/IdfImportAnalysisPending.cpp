// Stand-ins for the board analysis the model building reads, kept to the check boxes' plain
// meaning; replaced by the analysis unit.
#include <cstdlib>

#include "IdfImportV4_XE2.h"

bool TIdfImportFormV4_XE2::DoMiscOutlineSectionCheck(TSectionType SectionType) const {
  switch (SectionType) {
    case stROUTE_OUTLINE: return RouteOutlineCB.Checked;
    case stPLACE_OUTLINE: return PlaceOutlineCB.Checked;
    case stROUTE_KEEPOUT: return RouteKeepoutCB.Checked;
    case stVIA_KEEPOUT: return ViaKeepoutCB.Checked;
    case stPLACE_KEEPOUT: return PlaceKeepoutCB.Checked;
    case stPLACE_REGION: return PlaceRegionCB.Checked;
    default: return false;
  }
}

int TIdfImportFormV4_XE2::GetPrefixColour(const std::string& Prefix) const {
  for (const std::string& entry : FColourHoldingList.Lines()) {
    const std::size_t eq = entry.find('=');
    if (eq == std::string::npos || !SameTextAscii(entry.substr(0, eq), Prefix)) continue;
    const std::string value = entry.substr(eq + 1);
    if (!value.empty() && value[0] == '$') {
      char* end = nullptr;
      const unsigned long v = std::strtoul(value.c_str() + 1, &end, 16);
      return end && *end == '\0' && value.size() > 1 ? static_cast<int>(v) : -1;
    }
    double v = 0;
    return TryStrToFloat(value, v) ? static_cast<int>(v) : -1;
  }
  return -1;
}

void TIdfImportFormV4_XE2::GetDrilledHoleOutlineLists(std::vector<std::unique_ptr<TBoardOutlineObjectList>>& OutlineLists) {
  const struct {
    const controls::TCheckBox* Box;
    THoleType Type;
    TPlatingStyle Plating;
  } kinds[] = {
      {&PlatedMountingCB, htMTG, psPTH},  {&NonPlatedMountingCB, htMTG, psNPTH}, {&PlatedPinCB, htPIN, psPTH},
      {&NonPlatedPinCB, htPIN, psNPTH},   {&ViaHolesCB, htVIA, psPTH},           {&PlatedToolingCB, htTOOL, psPTH},
      {&NonPlatedToolingCB, htTOOL, psNPTH}, {&PlatedOtherCB, htOTHER, psPTH},   {&NonPlatedOtherCB, htOTHER, psNPTH},
  };
  TSection* section = FImportIDF->FindFirstSection(stDRILLED_HOLES);
  if (!section) return;
  for (const auto& k : kinds) {
    if (!k.Box->Checked) continue;
    auto list = std::make_unique<TBoardOutlineObjectList>();
    FImportIDF->DrilledHolesSectionToOutlineList(section, k.Type, k.Plating, false, true, 0, *list);
    OutlineLists.push_back(std::move(list));
  }
}

void TIdfImportFormV4_XE2::AddHoleFilterDataToLog() {}
