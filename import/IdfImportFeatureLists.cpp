// The outline lists of the board features: outlines and keep-outs chosen on the Options tab,
// and the copper and overlay sections some ECAD systems export as other outlines.
#include "import/IdfImportV4_XE2.h"

using TOutlineLists = std::vector<std::unique_ptr<TBoardOutlineObjectList>>;

namespace {
std::string LayerPart(TLayerType Layer, const std::string& Top, const std::string& Bottom, const std::string& Both,
                      const std::string& Inner, const std::string& All) {
  switch (Layer) {
    case ltTOP: return "_" + Top + "_";
    case ltBOTTOM: return "_" + Bottom + "_";
    case ltBOTH: return "_" + Both + "_";
    case ltINNER: return "_" + Inner + " _";
    case ltALL: return "_" + All + "_";
    default: return "_";
  }
}

std::string DropLast(const std::string& s) { return s.empty() ? s : s.substr(0, s.size() - 1); }
}  // namespace

std::string TIdfImportFormV4_XE2::BuildIdfSectionFeatureNameWithIndex(const TSection& Section, int Index) const {
  std::string base;
  switch (Section.SectType) {
    case stBOARD_OUTLINE: return FBoardOutlineFeature;
    case stOTHER_OUTLINE: base = FOtherOutlineFeature + "_" + Section.GeometryName; break;
    case stROUTE_OUTLINE: base = FRouteOutlineFeature; break;
    case stPLACE_OUTLINE: base = FPlaceOutlineFeature; break;
    case stROUTE_KEEPOUT: base = FRouteKeepoutFeature; break;
    case stVIA_KEEPOUT: base = FViaKeepoutFeature; break;
    case stPLACE_KEEPOUT: base = FPlaceKeepoutFeature; break;
    case stPLACE_REGION: base = FPlaceRegionFeature + "_" + Section.GeometryName; break;
    default: return {};
  }
  const std::string layer =
      LayerPart(Section.LayerType, FTopLayer, FBottomLayer, FTopAndBottomLayer, FInnerLayer, FAllLayer);
  if (Section.SectType == stOTHER_OUTLINE || Section.SectType == stPLACE_REGION) return base + layer;
  return base + "_" + std::to_string(Index) + layer;
}

// Place regions are named like other outlines (their section name and layer), so two regions
// of a board never share an attribute name.
std::string TIdfImportFormV4_XE2::BuildGenericIdfSectionAttributeNameWithIndex(const TSection& Section, int Index) {
  const std::string type = EnumName(Section.SectType);
  std::string stem;
  switch (Section.SectType) {
    case stBOARD_OUTLINE:
    case stPANEL_OUTLINE: return type;
    case stOTHER_OUTLINE:
    case stPLACE_REGION: stem = type + "_" + Section.GeometryName; break;
    case stROUTE_OUTLINE:
    case stPLACE_OUTLINE:
    case stROUTE_KEEPOUT:
    case stVIA_KEEPOUT:
    case stPLACE_KEEPOUT: stem = type; break;
    default: return {};
  }
  const std::string layer = LayerPart(Section.LayerType, "Top", "Bottom", "Both", "Inner", "All");
  if (Section.SectType == stOTHER_OUTLINE || Section.SectType == stPLACE_REGION) return stem + layer;
  return stem + "_" + DropLast(layer) + "|" + std::to_string(Index);
}

std::string TIdfImportFormV4_XE2::BuildSpecialFeatureAttributeName(bool Top, const std::string& FeatureName) {
  static const struct {
    const char* Name;
    const char* Top;
    const char* Bottom;
  } table[] = {
      {"PADS", "TopPadsBoss", "BottomPadsBoss"},
      {"VIAS", "TopViasBoss", "BottomViasBoss"},
      {"TRACKS", "TopTracksBoss", "BottomTracksBoss"},
      // The overlay kind is "Overlay"; both spellings reach the overlay row.
      {"OVERLAYS", "TopOverlayBoss", "BottomOverlayBoss"},
      {"OVERLAY", "TopOverlayBoss", "BottomOverlayBoss"},
      {"OVERLAYTEXT", "TopOverlayTextBoss", "BottomOverlayTextBoss"},
      {"POLYGONS", "TopPolygonsBoss", "BottomPolygonsBoss"},
  };
  const std::string key = UpperCase(FeatureName);
  for (const auto& row : table)
    if (key == row.Name) return Top ? row.Top : row.Bottom;
  return FeatureName;
}

void TIdfImportFormV4_XE2::GetMiscFeatureOutlineLists(TOutlineLists& OutlineLists) {
  UpDateCaption("Getting Keepout and Outline Data");
  for (TSectionType type :
       {stROUTE_OUTLINE, stPLACE_OUTLINE, stROUTE_KEEPOUT, stVIA_KEEPOUT, stPLACE_KEEPOUT, stPLACE_REGION}) {
    if (!DoMiscOutlineSectionCheck(type)) continue;
    int index = 0;
    for (TSection* section = FImportIDF->FindFirstSection(type); section; section = FImportIDF->FindNextSection()) {
      ++index;
      auto list = std::make_unique<TBoardOutlineObjectList>();
      FImportIDF->SectionToOutlineList(section, *list, 1.0);
      list->fListName = DropLast(BuildIdfSectionFeatureNameWithIndex(*section, index));
      list->fAttributeName = BuildGenericIdfSectionAttributeNameWithIndex(*section, index);
      const bool thin = type == stROUTE_OUTLINE || type == stROUTE_KEEPOUT || type == stVIA_KEEPOUT;
      list->fBodyHeight = thin ? FRouteKeepoutHeight : section->Thickness;
      switch (section->LayerType) {
        case ltBOTTOM: list->fTop = false, list->fExtrudeSingleDir = true; break;
        case ltBOTH:
        case ltALL: list->fTop = true, list->fExtrudeSingleDir = false; break;
        default: list->fTop = true, list->fExtrudeSingleDir = true; break;
      }
      const bool outline = type == stROUTE_OUTLINE || type == stPLACE_OUTLINE || type == stPLACE_REGION;
      list->fColour = GetPrefixColour(outline ? "OUTLINE" : "KEEPOUT");
      OutlineLists.push_back(std::move(list));
    }
  }
  UpDateCaption("");
}

std::string TIdfImportFormV4_XE2::PcbFeatureKind(const TSection& Section) const {
  if (!FWeHaveSpecialOutlines || Section.SectType != stOTHER_OUTLINE) return {};
  struct TKind {
    const char* Top;
    const char* Bottom;
    const controls::TCheckBox* Box;
    const char* Kind;
  };
  const TKind kinds[] = {
      {"TOPPADS", "BOTTOMPADS", &DoPads, "Pads"},
      {"TOPTRACKS", "BOTTOMTRACKS", &DoTracks, "Tracks"},
      {"TOPOVERLAY", "BOTTOMOVERLAY", &DoOverlays, "Overlay"},
      {"TOPOVERLAYTEXT", "BOTTOMOVERLAYTEXT", &DoOverlayText, "OverlayText"},
      {"TOPPOLYGONS", "BOTTOMPOLYGONS", &DoPolygons, "Polygons"},
      {"VIAS", "VIAS", &DoVias, "ViasAlt"},
      {"TOPVIAS", "BOTTOMVIAS", &DoVias, "Vias"},
  };
  const std::string name = UpperCase(Section.GeometryName);
  for (const auto& k : kinds)
    if (name == k.Top || name == k.Bottom) return k.Box->Checked ? k.Kind : "";
  return {};
}

void TIdfImportFormV4_XE2::GetPcbFeatureOutlineLists(TOutlineLists& OutlineLists) {
  auto CopperHeight = [this]() -> double {
    const std::string text = CopperThickness.Text();
    if (text.empty()) return 0;
    double value = 0;
    if (TryStrToFloat(text, value)) return ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, value);
    FImportIDF->ErrorLog.Add("Problem reading Copper Thickness");
    return 0;
  };
  const bool any = DoPads.Checked || DoVias.Checked || DoTracks.Checked || DoOverlays.Checked ||
                   DoOverlayText.Checked || DoPolygons.Checked;
  if (!any || !FWeHaveSpecialOutlines) return;
  for (TSection* section = FImportIDF->FindFirstSection(stOTHER_OUTLINE); section;
       section = FImportIDF->FindNextSection()) {
    // The copper thickness is read, and a bad one reported, once per section.
    const double height = CopperHeight();
    const std::string kind = PcbFeatureKind(*section);
    if (kind.empty()) continue;
    const bool isTop = section->LayerType == ltTOP;
    auto list = std::make_unique<TBoardOutlineObjectList>();
    FImportIDF->SectionToOutlineList(section, *list, 1.0);
    list->fBodyHeight = height;
    list->DeleteLoopZero();
    list->fColour = GetPrefixColour(kind == "Overlay" || kind == "OverlayText" ? "OVERLAY" : "COPPER");
    if (kind != "ViasAlt") {
      list->fListName = kind;
      list->fAttributeName = BuildSpecialFeatureAttributeName(isTop, kind);
      list->fTop = isTop;
      OutlineLists.push_back(std::move(list));
      continue;
    }
    // Vias reach through the board: the same outline on both faces.
    list->fListName = "VIAS";
    list->fTop = true;
    list->fAttributeName = "TopViasBoss";
    auto bottom = std::make_unique<TBoardOutlineObjectList>();
    for (const auto& e : *list) bottom->AddFromRecord(*e);
    bottom->AddListProperties(*list);
    bottom->fAttributeName = "BottomViasBoss";
    bottom->fTop = false;
    OutlineLists.push_back(std::move(list));
    OutlineLists.push_back(std::move(bottom));
  }
}
