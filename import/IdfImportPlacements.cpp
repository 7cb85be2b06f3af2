// The placement list of an import: selected placements, their cross-reference mapping, the
// binding to library or auto parts, package outlines and heights, and the "Show Parts" report.
#include <sys/stat.h>

#include <algorithm>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/PartLibrarySearch.h"
#include "import/IdfImportV4_XE2.h"
#include "import/PartXref.h"

namespace {
bool InListIgnoringCase(const TSearchStringList& list, const std::string& text) {
  for (const auto& l : list.Lines())
    if (SameTextAscii(l, text)) return true;
  return false;
}

std::vector<const TSection*> SectionsOf(const TIDFfile& idf, TSectionType type) {
  std::vector<const TSection*> out;
  for (const auto& s : idf.SectionList())
    if (s->SectType == type) out.push_back(s.get());
  return out;
}
}  // namespace

void TIdfImportFormV4_XE2::ConstructPartNameData(const std::string& PackageName, std::string& Folder,
                                                 std::string& PartName, std::string& Ext, std::string& Config) {
  Folder.clear();
  PartName = PackageName;
  Ext = FPartExt;
  Config = "Default";
  if (!UseLibParts.Checked || !UseXrefCheckbox.Checked) return;
  const int at = FindXrefEntry(FPartXrefTable.Lines(), PackageName);
  if (at < 0) return;
  const std::string value = RemoveQuotes(XrefValueFor(FPartXrefTable[at], PackageName));
  const std::size_t bar = value.find('|');
  const std::string path = value.substr(0, bar);
  const std::string config = bar == std::string::npos ? std::string() : value.substr(bar + 1);
  Config = config.empty() ? "Default" : config;
  // An entry with a configuration but no part names no file; the package keeps its own name.
  if (path.empty()) return;
  // Entries written on Windows use "\"; both delimiters split.
  Folder = ExtractForeignDir(path);
  const std::string file = ExtractForeignName(path);
  PartName = RemoveExtension(file);
  Ext = ExtractFileExt(file);
}

void TIdfImportFormV4_XE2::PrepareGlobalPlacementList() {
  TIDFfile& idf = *FImportIDF;
  if (UseLibrary()) idf.VerifyLog.Add("Use Lib. Parts is ON");
  GetSelectedPackages();
  GetSelectedDesignators();

  if (UseXrefCheckbox.Checked) {
    idf.VerifyLog.Add("Xref is on");
    if (const std::string path = XrefFilePath(); !path.empty()) {
      TSearchStringList lines;
      try {
        lines.LoadFromFile(path);
        FPartXrefTable = lines;
      } catch (const std::exception& e) {
        // An unreadable file leaves the table as it was.
        idf.ReportException("PrepareGlobalPlacementList", e.what());
      }
    }
  }

  // Selected when the package is checked, or the designator is; nothing checked takes all.
  auto packageSelected = [this](const std::string& pkg) {
    return (FWeHaveSelectedPart || FWeHaveSelectedDesignator) ? InListIgnoringCase(FSelectedPackageList, pkg) : true;
  };
  auto designatorSelected = [this](const std::string& des) {
    return FWeHaveSelectedDesignator && InListIgnoringCase(FSelectedDesList, des);
  };

  FPartPlaceList.Clear();
  const auto placementSections = SectionsOf(idf, stPLACEMENT);
  if (!placementSections.empty()) {
    const TSection& s = *placementSections.front();
    for (int r = 0; r < s.Count(); ++r) {
      const TDataRec& rec = s.Items(r);
      if (!packageSelected(rec.PackageName) && !designatorSelected(rec.Designator)) continue;
      const int i = FPartPlaceList.Add(std::make_unique<TIdfPartPlacementObject>(
          rec.Designator, rec.PackageName, rec.PartNo, rec.X, rec.Y, rec.Rotation, rec.Side != ltBOTTOM));
      TIdfPartPlacementObject& p = FPartPlaceList.GetPartRecord(i);
      ConstructPartNameData(rec.PackageName, p.FPartFolder, p.FPartName, p.FPartExt, p.FPartConfig);
      p.FPlaceSectionIndex = r;
      p.FIdfOffset = rec.Offset;
      p.FRotation = rec.Rotation;
      p.FAttributeName = "IdfPart_" + std::to_string(i);
    }
  }

  // Binding. Auto parts are remembered by key so a package missing from the library is looked
  // for once; found parts are looked for again, as each placement may have its own entry.
  const std::vector<std::string> paths = LibSearchPathCombobox.Items;
  TSearchStringList known;
  // One file per part name. Names that differ only in letter case, or that the file-name
  // clean-up makes equal, would share a file on this file system; the later one gets a
  // numbered name of its own.
  std::vector<std::pair<std::string, std::string>> autoFiles;  // part name, its file
  auto makeAuto = [this, &autoFiles, &idf](TIdfPartPlacementObject& p) {
    p.FAutoPart = true;
    for (const auto& [name, file] : autoFiles)
      if (name == p.FPartName) {
        p.FActualPart = file;
        return;
      }
    const std::string base = SafeFileName(p.FPartName);
    std::string file = FCreatedPartsPath + base + FPartExt;
    auto taken = [&autoFiles](const std::string& f) {
      for (const auto& a : autoFiles)
        if (SameTextAscii(a.second, f)) return true;
      return false;
    };
    for (int n = 2; taken(file); ++n) file = FCreatedPartsPath + base + "~" + std::to_string(n) + FPartExt;
    if (base != p.FPartName || file != FCreatedPartsPath + base + FPartExt)
      idf.VerifyLog.Add("Auto part file of " + p.FPartName + " : " + file);
    p.FActualPart = file;
    autoFiles.emplace_back(p.FPartName, file);
  };
  for (const auto& pp : FPartPlaceList) {
    TIdfPartPlacementObject& p = *pp;
    const std::string key = p.FPartFolder + p.FPartName;
    if (!UseLibrary()) {
      FWeHaveAutoParts = true;
      makeAuto(p);
    } else if (!InListIgnoringCase(known, key)) {
      std::string libPath, ext, found;
      if (CheckIfPartExistsExt(key, paths, UseXrefCheckbox.Checked, libPath, ext, &found)) {
        p.FActualPart = libPath + p.FPartName + ext;
        // The file on disk may differ in letter case; the host must get a name that opens.
        if (!FileExists(p.FActualPart) && !found.empty()) p.FActualPart = found;
        idf.VerifyLog.Add("Part exists : " + p.FActualPart);
      } else {
        FWeHaveAutoParts = true;
        known.Add(key);
        idf.VerifyLog.Add("Auto part : " + key);
        makeAuto(p);
      }
    } else {
      makeAuto(p);
    }
  }
  if (FWeHaveAutoParts && !DirectoryExists(FCreatedPartsPath)) {
    if (!FCreatedPartsPath.empty() && ::mkdir(FCreatedPartsPath.c_str(), 0777) == 0)
      idf.VerifyLog.Add("Created Auto Part directory : " + FCreatedPartsPath);
    else
      idf.ReportErrors("Failed to create directory " + FCreatedPartsPath);
  }

  // Outlines: electrical sections, then mechanical ones; one outline per part name and pass,
  // on the first placement of that name. Package names match without regard to case.
  for (TSectionType type : {stELECTRICAL, stMECHANICAL}) {
    std::vector<std::string> served;
    for (const TSection* s : SectionsOf(idf, type)) {
      for (const auto& pp : FPartPlaceList) {
        TIdfPartPlacementObject& p = *pp;
        if (!SameTextAscii(p.FPackageName, s->GeometryName)) continue;
        if (std::find(served.begin(), served.end(), p.FPartName) != served.end()) continue;
        served.push_back(p.FPartName);
        p.FHeight = s->Thickness;
        TBoardOutlineObjectList outline;
        idf.SectionToOutlineList(s, outline, 1.0);
        outline.fColour = 1;
        p.FOutlineList.AddFromList(outline);
      }
    }
  }

  for (const TSection* s : SectionsOf(idf, stMECHANICAL)) {
    const int at = FPartPlaceList.GetIndexOfPackageName(s->GeometryName);
    if (at >= 0) FPartPlaceList.SetAsMechPart(FPartPlaceList.GetPartRecord(at).FPackageName);
  }
}

std::vector<std::string> TIdfImportFormV4_XE2::PartUsageLines() const {
  std::vector<std::string> lines;
  for (const auto& p : FPartPlaceList) lines.push_back(p->FDes + " = " + p->FActualPart);
  return lines;
}

void TIdfImportFormV4_XE2::ShowPartUsageButtonClick() {
  AssignFileNames();
  PrepareGlobalPlacementList();
  const std::vector<std::string> lines = PartUsageLines();
  if (lines.empty()) return;
  DetailRadioButton.SetChecked(true);
  PageControl1.SetActivePage(&StatusTabSheet);
  LogMemo.Lines = lines;
}
