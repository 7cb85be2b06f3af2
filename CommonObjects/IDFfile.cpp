#include "CommonObjects/IDFfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "CommonObjects/FileUtils.h"

namespace {
const std::string kSeparatorLine = "-----------------------------------";

std::vector<std::string> Fields(const TSearchStringList& lines, int index) { return CommaTextToList(lines.Get(index)); }

void FieldsInto(const TSearchStringList& lines, int index, std::vector<std::string>& rec) {
  CommaTextToList(lines.Get(index), rec);
}

// "TYPE> Line:n", built without temporaries: one such line goes to the status log per data line.
std::string StatusLine(const std::string& prefix, int lineNumber) {
  char num[16];
  auto [end, ec] = std::to_chars(num, num + sizeof num, lineNumber);
  (void)ec;
  std::string s;
  s.reserve(prefix.size() + static_cast<std::size_t>(end - num));
  s += prefix;
  s.append(num, end);
  return s;
}

// Field i of a record; a field beyond the end is an index error, as for a line beyond the file.
const std::string& F(const std::vector<std::string>& rec, std::size_t i) {
  if (i >= rec.size()) throw EListIndexError("List index out of bounds (" + std::to_string(i) + ")");
  return rec[i];
}

// At most n characters, never cutting a UTF-8 sequence.
std::string CutChars(const std::string& s, std::size_t n) {
  std::size_t i = 0, chars = 0;
  while (i < s.size() && chars < n) {
    auto c = static_cast<unsigned char>(s[i]);
    i += c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    ++chars;
  }
  return s.substr(0, std::min(i, s.size()));
}
}  // namespace

int IdfVersionOf(const std::string& field) { return (!field.empty() && field[0] == '2') ? 2 : 3; }

TFilePath TFilePath::Split(const std::string& path) {
  TFilePath f;
  f.Path = path;
  f.Directory = ExtractFileDir(path);
  std::string name = ExtractFileName(path);
  f.Extension = ExtractFileExt(path);
  f.FileName = name.substr(0, name.size() - f.Extension.size());
  return f;
}

// ===================== TSection =====================

std::unique_ptr<TSection> TSection::CreateNew(TIDFfile* IDFParent) {
  return std::unique_ptr<TSection>(new TSection(IDFParent));
}

int TSection::PlacementSectionRecordValidation(int R1Count, int R2Count, int IdfVer) {
  int result = -1;
  if (R1Count != 3) result = 1;
  if ((IdfVer == 2 && R2Count != 5) || (IdfVer != 2 && R2Count != 6)) result = 2;
  return result;
}

void TSection::SetUnitFactor() {
  double toMetre = 1.0;
  switch (Units) {
    case utMM: toMetre = 0.001; break;
    case utTHOU: toMetre = 2.54e-5; break;
    case utTNM: toMetre = 1e-9; break;
    default: Units = utNONE; break;
  }
  double toOutput = 1.0;
  switch (fParent->OutputUnits) {
    case utMM: toOutput = 1000.0; break;
    case utTHOU: toOutput = 1000000.0 / 25.4; break;
    case utINCH: toOutput = 1000.0 / 25.4; break;
    case utCM: toOutput = 100.0; break;
    default: break;
  }
  FUnitFactor = toMetre * toOutput;
}

double TSection::Num(const std::string& field) const { return StrToFloat(FixDecimalSeparator(field)); }

const std::string& TSection::LastStatus() const { return fParent->StatusLog.Last(); }

TSection::TSection(TIDFfile* IDFParent, TSectionType SectionType, TOwnerType Owner, TLayerType aLayerType,
                   const std::string& Name, const std::string& aPartNumber, const std::string& aUnits,
                   const std::string& aThickness, const TSearchStringList& DataStrings, int DataStart, int DataEnd)
    : fParent(IDFParent) {
  SectType = SectionType;
  OwnerType = Owner;
  LayerType = aLayerType;
  GeometryName = ValidateFileName(Name);
  PartNumber = aPartNumber;
  Units = EnumFromWord<TUnitsType>(aUnits);
  SetUnitFactor();
  const TUnitsType inputUnits = Units;
  // Holes, notes and placements have no thickness of their own: a text carried over from an
  // earlier section must not cost them their records.
  const bool usesThickness = SectType != stDRILLED_HOLES && SectType != stNOTES && SectType != stPLACEMENT;
  double t = 0;
  if (!aThickness.empty()) {
    if (usesThickness)
      t = Len(aThickness);
    else if (TryStrToFloat(FixDecimalSeparator(aThickness), t))
      t *= FUnitFactor;
    else
      t = 0;
  }
  Thickness = t;

  switch (SectType) {
    case stBOARD_OUTLINE:
    case stPANEL_OUTLINE:
    case stOTHER_OUTLINE:
    case stROUTE_OUTLINE:
    case stPLACE_OUTLINE:
    case stROUTE_KEEPOUT:
    case stVIA_KEEPOUT:
    case stPLACE_KEEPOUT:
    case stPLACE_REGION:
    case stELECTRICAL:
    case stMECHANICAL:
    case stALTIUMBODYELEMENT:
      if (DataEnd <= DataStart) {
        fParent->WarningLog.Add(LastStatus() + " No outline data");
        return;
      }
      ReadOutline(DataStrings, DataStart, DataEnd);
      break;
    case stDRILLED_HOLES: ReadDrilledHoles(DataStrings, DataStart, DataEnd); break;
    case stNOTES: ReadNotes(DataStrings, DataStart, DataEnd); break;
    case stPLACEMENT: ReadPlacements(DataStrings, DataStart, DataEnd); break;
    default: break;
  }
  WriteLog(Name, inputUnits);
  Units = fParent->OutputUnits;
}

void TSection::ReadOutline(const TSearchStringList& lines, int start, int end) {
  if (std::fabs(Thickness) <= 1e-7) {
    switch (SectType) {
      case stBOARD_OUTLINE:
      case stPANEL_OUTLINE:
      case stOTHER_OUTLINE:
      case stELECTRICAL:
      case stMECHANICAL: fParent->WarningLog.Add(LastStatus() + " thickness is zero"); break;
      case stPLACE_OUTLINE:
        fParent->VerifyLog.Add(LastStatus() + " thickness is zero, no height restriction");
        Thickness = 0;
        break;
      case stPLACE_KEEPOUT:
      case stPLACE_REGION:
        fParent->VerifyLog.Add(LastStatus() + " thickness is zero, applies to all Parts");
        Thickness = 1e-5;
        break;
      default: break;
    }
  }
  const std::string prefix = EnumName(SectType) + "> Line:";
  std::vector<std::string> rec;
  for (int i = start; i <= end; ++i) {
    fParent->StatusLog.Add(StatusLine(prefix, i + 1));
    FieldsInto(lines, i, rec);
    if (!rec.empty() && SameTextAscii(rec[0], "PROP")) {
      Properties.Add(ListToCommaText(rec));
      continue;
    }
    if (rec.size() != 4) {
      fParent->ErrorLog.Add(LastStatus() + " incorrect number of fields");
      continue;
    }
    auto r = std::make_unique<TDataRec>();
    r->Line = i + 1;
    r->Loop = StrToInt(rec[0]);
    r->X = Len(rec[1]);
    r->Y = Len(rec[2]);
    r->Side = ltTOP;
    const double angle = Num(rec[3]);
    if (angle == 0) {
      r->RecType = rtLINE;
      if (i != start) ++NumLines;
    } else if (angle == 360) {
      if (fRecords.empty()) throw EConvertError("circle without a centre point");
      r->RecType = rtCIRCLE;
      const TDataRec& c = *fRecords.back();
      r->Radius = VectMag(c.X, c.Y, r->X, r->Y);
      ++FNumCircles;
    } else {
      r->RecType = rtARC;
      r->Direction = angle > 0 ? 1 : -1;
      std::vector<std::string> prev = Fields(lines, i - 1);
      double sx, sy;
      if (prev.size() < 3 || !TryStrToFloat(FixDecimalSeparator(prev[1]), sx) ||
          !TryStrToFloat(FixDecimalSeparator(prev[2]), sy)) {
        fParent->ErrorLog.Add(LastStatus() + " invalid arc definition");
        continue;
      }
      T2DFloatPoint c = ArcOrigin({sx * FUnitFactor, sy * FUnitFactor}, {r->X, r->Y}, Radians(angle));
      r->Xorig = c.x;
      r->Yorig = c.y;
      ++NumArcs;
    }
    fRecords.push_back(std::move(r));
  }
  if (fRecords.empty()) throw EConvertError("no outline record could be read");
  const int first = fRecords.front()->Loop;
  if (first != 0)
    for (auto& r : fRecords) r->Loop -= first;
  NumLoops = fRecords.back()->Loop + 1;
}

void TSection::ReadDrilledHoles(const TSearchStringList& lines, int start, int end) {
  const int version = fParent->BrdFileVersion;
  const std::size_t need = version == 2 ? 5 : 7;
  const std::string prefix = EnumName(SectType) + "> Line:";
  std::vector<std::string> rec;
  for (int i = start; i <= end; ++i) {
    fParent->StatusLog.Add(StatusLine(prefix, i + 1));
    FieldsInto(lines, i, rec);
    if (rec.size() != need) {
      fParent->ErrorLog.Add(LastStatus() + " incorrect number of fields");
      continue;
    }
    auto r = std::make_unique<TDataRec>();
    r->Line = i + 1;
    r->RecType = rtDRILLED_HOLE;
    r->Loop = 0;
    r->AssocPart = apBOARD;
    r->HoleType = htPIN;
    r->HoleOwner = otUNOWNED;
    r->Radius = Num(rec[0]) * FUnitFactor / 2.0;
    r->X = Len(rec[1]);
    r->Y = Len(rec[2]);
    r->PlatingStyle = EnumFromWord<TPlatingStyle>(rec[3]);
    r->AssocPart = EnumFromWord<TAssocPart>(rec[4]);
    if (r->AssocPart == kUnrecognisedEnum) {
      r->AssocPart = apDESIGNATOR;
      r->Designator = rec[4];
    }
    if (version > 2) {
      r->HoleType = EnumFromWord<THoleType>(rec[5]);
      if (r->HoleType == kUnrecognisedEnum) {
        r->HoleType = htOTHER;
        r->UserHoleType = CutChars(rec[5], 12);
      }
      r->HoleOwner = EnumFromWord<TOwnerType>(rec[6]);
    }
    ++NumDrilledHoles;
    fRecords.push_back(std::move(r));
  }
  NumLoops = NumDrilledHoles;
}

void TSection::ReadNotes(const TSearchStringList& lines, int start, int end) {
  const std::string prefix = EnumName(SectType) + "> Line:";
  std::vector<std::string> rec;
  for (int i = start; i <= end; ++i) {
    fParent->StatusLog.Add(StatusLine(prefix, i + 1));
    FieldsInto(lines, i, rec);
    if (rec.size() != 5) {
      fParent->ErrorLog.Add(LastStatus() + " incorrect number of fields");
      continue;
    }
    auto r = std::make_unique<TDataRec>();
    r->RecType = rtNOTE;
    r->X = Len(rec[0]);
    r->Y = Len(rec[1]);
    r->TextHeight = Len(rec[2]);
    r->TextLength = Len(rec[3]);
    r->Designator = rec[4];
    ++FNumNotes;
    fRecords.push_back(std::move(r));
  }
}

void TSection::ReadPlacements(const TSearchStringList& lines, int start, int end) {
  const int version = fParent->BrdFileVersion;
  const std::string typeName = EnumName(SectType);
  for (int k = 0; 2 * k <= end - start; ++k) {
    const int first = start + 2 * k;
    fParent->StatusLog.Add(typeName + ">" + " Line:" + std::to_string(first + 1));
    std::vector<std::string> r1 = Fields(lines, first);
    std::vector<std::string> r2 = Fields(lines, first + 1);
    int check = PlacementSectionRecordValidation(static_cast<int>(r1.size()), static_cast<int>(r2.size()), version);
    if (check != -1) {
      fParent->ErrorLog.Add(check == 1
                                ? "Part Ommitted from Placement Section - incorrect number of fields in first line:"
                                : "Part Ommitted from Placement Section - incorrect number of fields in second line:");
      fParent->ErrorLog.Add("Line 1: " + ListToCommaText(r1));
      fParent->ErrorLog.Add("Line 2: " + ListToCommaText(r2));
      continue;
    }
    auto r = std::make_unique<TDataRec>();
    r->RecType = rtPLACEMENT;
    r->Tag = false;
    r->PackageName = CutChars(ValidateFileName(r1[0]), 255);
    r->PartNo = CutChars(r1[1], 255);
    r->RefDesignator = EnumFromWord<TAssocPart>(r1[2]);
    if (r->RefDesignator != kUnrecognisedEnum) {
      r->Designator = EnumName(r->RefDesignator);
    } else {
      r->RefDesignator = apDESIGNATOR;
      r->Designator = r1[2];
    }
    r->X = Len(r2[0]);
    r->Y = Len(r2[1]);
    if (version == 2) {
      r->Offset = 0;
      r->Rotation = Num(r2[2]);
      r->Side = EnumFromWord<TLayerType>(r2[3]);
      r->Status = EnumFromWord<TOwnerType>(r2[4]);
    } else {
      r->Offset = Len(r2[2]);
      r->Rotation = Num(r2[3]);
      r->Side = EnumFromWord<TLayerType>(r2[4]);
      r->Status = EnumFromWord<TOwnerType>(r2[5]);
    }
    ++NumPlacements;
    fRecords.push_back(std::move(r));
  }
}

void TSection::WriteLog(const std::string& handedName, TUnitsType inputUnits) {
  const std::string unit = LowerCase(EnumName(fParent->OutputUnits));
  const std::string owner = EnumName(OwnerType);
  const std::string layer = EnumName(LayerType);
  const std::string thick = FormatFloat(Thickness, 3);
  const std::string lines = std::to_string(NumLines), arcs = std::to_string(NumArcs),
                    circles = std::to_string(FNumCircles);
  const bool part = SectType == stELECTRICAL || SectType == stMECHANICAL;
  Log.Add(part ? "PART" : EnumName(SectType));
  switch (SectType) {
    case stBOARD_OUTLINE:
    case stPANEL_OUTLINE:
      Log.AddTabbed({"Name:        ", handedName});
      Log.AddTabbed({"Owner:       ", owner});
      Log.AddTabbed({"Thickness:", thick});
      Log.AddTabbed({"Lines:       ", lines});
      Log.AddTabbed({"Arcs:        ", arcs});
      Log.AddTabbed({"Circles:     ", circles});
      break;
    case stOTHER_OUTLINE:
      Log.AddTabbed({"Name:   ", handedName});
      Log.AddTabbed({"Owner:  ", owner});
      Log.AddTabbed({"Side:   ", layer});
      Log.AddTabbed({"Lines:  ", lines});
      Log.AddTabbed({"Arcs:   ", arcs});
      Log.AddTabbed({"Circles:", circles});
      break;
    case stROUTE_OUTLINE:
    case stROUTE_KEEPOUT:
      Log.AddTabbed({"Owner:  ", owner});
      Log.AddTabbed({"Layer:  ", layer});
      Log.AddTabbed({"Lines:  ", lines});
      Log.AddTabbed({"Arcs:   ", arcs});
      Log.AddTabbed({"Circles:", circles});
      break;
    case stPLACE_OUTLINE:
    case stPLACE_KEEPOUT:
      Log.AddTabbed({"Owner:  ", owner});
      Log.AddTabbed({"Side:   ", layer});
      Log.AddTabbed({"Height: ", thick + unit});
      Log.AddTabbed({"Lines:  ", lines});
      Log.AddTabbed({"Arcs:   ", arcs});
      Log.AddTabbed({"Circles:", circles});
      break;
    case stVIA_KEEPOUT:
      Log.AddTabbed({"Owner:  ", owner});
      Log.AddTabbed({"Lines:  ", lines});
      Log.AddTabbed({"Arcs:   ", arcs});
      Log.AddTabbed({"Circles:", circles});
      break;
    case stPLACE_REGION:
      Log.AddTabbed({"Owner:  ", owner});
      Log.AddTabbed({"Side:   ", layer});
      Log.AddTabbed({"Group:  ", handedName});
      Log.AddTabbed({"Lines:  ", lines});
      Log.AddTabbed({"Arcs:   ", arcs});
      Log.AddTabbed({"Circles:", circles});
      break;
    case stDRILLED_HOLES: Log.AddTabbed({"Drilled holes:   ", std::to_string(NumDrilledHoles)}); break;
    case stNOTES: Log.AddTabbed({"Notes:     ", std::to_string(FNumNotes)}); break;
    case stPLACEMENT: Log.AddTabbed({"Parts:     ", std::to_string(NumPlacements)}); break;
    case stELECTRICAL:
    case stMECHANICAL:
      Log.AddTabbed({"Name:    ", GeometryName});
      Log.AddTabbed({"Part Num:", PartNumber});
      Log.AddTabbed({"Input:   ", EnumName(inputUnits)});
      Log.AddTabbed({"Height   ", thick + unit});
      Log.AddTabbed({"Lines:   ", lines});
      Log.AddTabbed({"Arcs     ", arcs});
      Log.AddTabbed({"Circles: ", circles});
      Log.AddTabbed({"Loops:   ", std::to_string(NumLoops)});
      Log.AddTabbed({"Type:    ", EnumName(SectType)});
      Log.AddStrings(Properties);
      break;
    default: break;
  }
}

// ===================== TIDFfile =====================

TIDFfile::TIDFfile() {
  FileCreated = platform::RegionalDateTimeText();
  FFileExtMap = {{"brd", "lib"}, {"brd", "pro"}, {"bdf", "ldf"}, {"emn", "emp"}, {"idb", "idl"}};
}

TIDFfile::~TIDFfile() = default;

std::string TIDFfile::SetBoardFileBrowseExt() {
  return "IDF Board files (*.emn;*.brd;*.bdf;*.idb)|*.EMN;*.BRD;*.BDF;*.IDB"
         "|IDF Board Files(*.emn)|*.EMN"
         "|PCAD IDF Board Files(*.brd)|*.BRD"
         "|Allegro IDF Board Files(*.bdf)|*.BDF"
         "|IDF Board Files(*.idb)|*.IDB";
}

std::string TIDFfile::SetLibFileBrowseExt() {
  return "IDF Library files (*.lib;*.ldf;*.emp;*.idl;*.pro)|*.LIB;*.LDF;*.EMP;*.IDL;*.PRO"
         "|IDF Library Files(*.emp)|*.EMP"
         "|PCAD IDF Library Files(*.pro)|*.Pro"
         "|IDF Library Files(*.lib)|*.LIB"
         "|Allegro IDF Library Files(*.ldf)|*.LDF"
         "|IDF Library Files(*.idl)|*.IDL";
}

std::string TIDFfile::GetNameValueData(const std::string& NameValueStr, const std::string& Delim, bool Name) {
  std::size_t p = Delim.empty() ? std::string::npos : NameValueStr.find(Delim);
  if (p == std::string::npos) return Name ? NameValueStr : std::string();
  return Name ? NameValueStr.substr(0, p) : NameValueStr.substr(p + Delim.size());
}

void TIDFfile::ReportErrors(const std::string& aErrorDetail) { ErrorLog.Add(aErrorDetail); }

void TIDFfile::ReportException(const std::string& aComment, const std::string& aErrorDetail) {
  ErrorLog.Add("Exception : " + aComment + " | " + aErrorDetail);
}

std::string TIDFfile::CreateStatusLogEntry(TSectionType SectionType) { return EnumName(SectionType); }

std::string TIDFfile::CreateLibraryFileStatusLogEntry(TSectionType SectionType, const std::string& PackageName) {
  if (SectionType == stELECTRICAL || SectionType == stMECHANICAL || SectionType == stALTIUMBODYELEMENT)
    return "Library file : " + EnumName(SectionType) + " | Package Name: " + PackageName;
  return EnumName(SectionType);
}

void TIDFfile::SetDecimalSep() {
  if (IgnoreRegionalDecPoint) platform::SetDecimalSeparator('.');
}

void TIDFfile::AddSection(TSection*& Section, TSectionType SectionType, const std::string& GeometryName,
                          TUnitsType Units) {
  auto s = TSection::CreateNew(this);
  s->SectType = SectionType;
  s->GeometryName = GeometryName;
  s->Units = Units;
  Section = s.get();
  fSectionList.push_back(std::move(s));
}

TSection* TIDFfile::FindFirstSection(TSectionType SectionType) {
  FFindSectionType = SectionType;
  FFindSectionIndex = 0;
  return FindNextSection();
}

TSection* TIDFfile::FindNextSection() {
  while (FFindSectionIndex < SectionCount()) {
    TSection* s = Section(FFindSectionIndex++);
    if (s->SectType == FFindSectionType) return s;
  }
  return nullptr;
}

void TIDFfile::UpdateBoardThickness() {
  if (TSection* s = FindFirstSection(stBOARD_OUTLINE)) BoardThickness = s->Thickness;
}

// ---- opening ----

void TIDFfile::DeriveLibraryFile(const std::string& boardPath, bool keepOwnPath) {
  BoardFile = TFilePath::Split(boardPath);
  LibFile = BoardFile;
  const std::string ext = UpperCase(BoardFile.Extension);
  const std::string base = LibFile.Directory + LibFile.FileName;
  if (ext == ".BRD") {
    LibFile.Extension = FindFileIgnoringCase(base + ".lib").empty() ? ".pro" : ".lib";
  } else if (ext == ".BDF") {
    LibFile.Extension = ".ldf";
  } else if (ext == ".EMN") {
    LibFile.Extension = ".emp";
  } else if (ext == ".IDB") {
    LibFile.Extension = ".idl";
  } else if (!keepOwnPath) {
    LibFile.Extension.clear();
  }
  LibFile.Path = base + LibFile.Extension;
  // On a case-sensitive file system the derived name may differ from the file only in case.
  std::string found = FindFileIgnoringCase(LibFile.Path);
  if (!found.empty() && found != LibFile.Path) {
    LibFile = TFilePath::Split(found);
  }
}

bool TIDFfile::AskForLibraryFile(const std::string& initialDir) {
  OpenDialog.Title = "Select IDF Library file";
  OpenDialog.Filter = SetLibFileBrowseExt();
  OpenDialog.FilterIndex = 0;
  OpenDialog.FileName.clear();
  if (!initialDir.empty()) OpenDialog.InitialDir = initialDir;
  if (!platform::Services().FileDialog(OpenDialog)) return false;
  OpenDialog.InitialDir = ExtractFileDir(OpenDialog.FileName);
  if (!FileExists(OpenDialog.FileName)) return false;
  LibFile.Path = OpenDialog.FileName;
  LibFile.Directory = ExtractFileDir(OpenDialog.FileName);
  return true;
}

bool TIDFfile::OpenIDFfiles(const std::string& DefaultPath) {
  StatusLog.Add("OpenIDFfiles>" + DefaultPath);
  OpenDialog.Title = "Select IDF Board file";
  OpenDialog.Filter = SetBoardFileBrowseExt();
  OpenDialog.FilterIndex = 0;
  OpenDialog.InitialDir = ExtractFileDir(DefaultPath);
  OpenDialog.FileName = ExtractFileName(DefaultPath);
  if (!platform::Services().FileDialog(OpenDialog)) return false;
  const std::string picked = OpenDialog.FileName;
  OpenDialog.InitialDir = ExtractFileDir(picked);
  DeriveLibraryFile(picked, true);
  if (!FileExists(LibFile.Path)) {
    if (!AskForLibraryFile(ExtractFileDir(DefaultPath))) return false;
  }
  return LoadFiles();
}

bool TIDFfile::OpenIDFfilesNoDialogue(const std::string& IdfBrdFile) {
  StatusLog.Add("Board File>" + IdfBrdFile);
  if (!FileExists(IdfBrdFile)) return false;
  DeriveLibraryFile(IdfBrdFile, false);
  if (!FileExists(LibFile.Path)) {
    if (!AskForLibraryFile({})) {
      LibFile.Path.clear();
      LibFile.Directory.clear();
    }
  }
  return LoadFiles();
}

bool TIDFfile::LoadFiles() {
  StatusLog.Add("LoadFiles");
  BoardStrings.LoadFromFile(BoardFile.Path);
  if (!LibFile.Path.empty()) LibStrings.LoadFromFile(LibFile.Path);
  if (!PreFormatIdfData()) return false;
  return LoadIdfData();
}

bool TIDFfile::CleanAndCheck(TSearchStringList& lines, const std::vector<std::string>& kinds,
                             const std::string& message) {
  if (lines.Empty()) return true;
  ReportUnterminatedQuotes(lines, &lines == &LibStrings ? "Library File" : "Board File");
  lines.DelimitStrings();
  auto& v = lines.Lines();
  std::erase_if(v, [](const std::string& l) {
    // The first field of a cleaned line starts right after its opening quote.
    return l.size() > 1 && l[0] == '"' && l[1] == '#';
  });
  const int header = lines.FindFirst(".HEADER");
  const std::string kind = UpperCase(F(Fields(lines, header + 1), 0));
  for (const auto& k : kinds)
    if (kind == k) return true;
  ErrorLog.Add(message);
  return false;
}

// A quote that never closes swallows the rest of its line into one field, and the errors that
// follow speak only of missing fields: name the line itself. Counted as the cleaned lines are.
void TIDFfile::ReportUnterminatedQuotes(const TSearchStringList& lines, const std::string& file) {
  auto odd = [](const std::string& l) { return std::count(l.begin(), l.end(), '"') % 2 != 0; };
  const auto& raw = lines.Lines();
  if (std::none_of(raw.begin(), raw.end(), odd)) return;
  int cleaned = 0;
  for (const auto& l : raw) {
    const std::string d = DelimitStr(l);
    if (d == "\"\"" || (d.size() > 1 && d[0] == '"' && d[1] == '#')) continue;
    ++cleaned;
    if (!odd(l)) continue;
    const std::size_t b = l.find_first_not_of(" \t"), e = l.find_last_not_of(" \t\r");
    ErrorLog.Add(file + " Line:" + std::to_string(cleaned) + " unterminated quote: " + l.substr(b, e - b + 1));
  }
}

bool TIDFfile::PreFormatIdfData() {
  bool ok = CleanAndCheck(BoardStrings, {"BOARD_FILE", "PANEL_FILE"},
                          BoardFile.Path + " is not a valid IDF Board or IDF Panel file.");
  if (ok && !BoardStrings.Empty()) {
    const int header = BoardStrings.FindFirst(".HEADER");
    IsPanelFile = UpperCase(F(Fields(BoardStrings, header + 1), 0)) == "PANEL_FILE";
  }
  const bool libOk = CleanAndCheck(LibStrings, {"LIBRARY_FILE"}, LibFile.Path + " is not a valid library file.");
  return ok && libOk;
}

bool TIDFfile::LoadIdfData() {
  try {
    LoadSections(BoardStrings);
    LoadSections(LibStrings);
    SummaryLog.AddTabbed({"Elec Parts", std::to_string(ElecPartCount)});
    SummaryLog.AddTabbed({"Mech Parts", std::to_string(MechPartCount)});
    if (AltiumBodyCount > 0) SummaryLog.AddTabbed({"Altium Body Parts", std::to_string(AltiumBodyCount)});
    VerifyLog.AddStrings(SummaryLog);
    for (int i = 1; i < SectionCount(); ++i) {
      VerifyLog.Add(kSeparatorLine);
      VerifyLog.AddStrings(Section(i)->Log);
    }
    return true;
  } catch (const std::exception& e) {
    ErrorLog.Add(StatusLog.Last() + " " + e.what());
    return false;
  }
}

void TIDFfile::ReadHeader(TSearchStringList& lines, int index, std::string& sectionName, std::string& unitWord) {
  const std::vector<std::string> r1 = Fields(lines, index + 1);
  SetDecimalSep();
  const TFileType fileType = EnumFromWord<TFileType>(F(r1, 0));
  if (fileType == ftBOARD_FILE || fileType == ftPANEL_FILE) {
    BrdFileVersion = IdfVersionOf(F(r1, 1));
    Source = F(r1, 2);
    FileCreated = BrdCreated = F(r1, 3);
    FFileVersion = BrdRelease = F(r1, 4);
    const std::vector<std::string> r2 = Fields(lines, index + 2);
    if (r2.size() > 1) {
      if (r2.size() != 2) {
        WarningLog.Add("The second line of the Board File Header section has an incorrect number of entries");
        WarningLog.Add("If the board name contains spaces, it should be enclosed in quotes");
      }
      sectionName = IdfBoardName = ExtractForeignName(r2[0]);
      unitWord = r2[1];
      const std::string upper = UpperCase(unitWord);
      if (upper.find("MM") == std::string::npos && upper.find("THOU") == std::string::npos) {
        WarningLog.Add("The units defined in the Board File Header section are incorrect : " + unitWord);
        WarningLog.Add("They can either be mm or thou");
        unitWord = r2.back();
        const std::string last = UpperCase(unitWord);
        if (last != "MM" && last != "THOU") unitWord = "mm";
        WarningLog.Add("Defaulting to : " + unitWord);
      }
      IDFBoardUnits = unitWord;
      TSection* header = nullptr;
      AddSection(header, stHEADER, sectionName, utMETRE);
      SummaryLog.AddTabbed({"IDF Import Log ", platform::RegionalDateTimeText()});
      SummaryLog.AddTabbed({"Board File:    ", BoardFile.Path});
      SummaryLog.AddTabbed({"Lib File:      ", LibFile.Path});
      SummaryLog.AddTabbed({"Board Units:   ", IDFBoardUnits});
      SummaryLog.AddTabbed({"Board IDF Ver:", std::to_string(BrdFileVersion) + ".0"});
      SummaryLog.AddTabbed({"Board Source:  ", Source});
      SummaryLog.AddTabbed({"Board Created: ", BrdCreated});
      SummaryLog.AddTabbed({"Board Release: ", BrdRelease});
      SummaryLog.AddTabbed({"Target Units: ", EnumName(OutputUnits)});
    }
  } else if (fileType == ftLIBRARY_FILE) {
    LibFileVersion = IdfVersionOf(F(r1, 1));
    IDFLibraryName = ExtractForeignName(F(r1, 2));
    LibCreated = F(r1, 3);
    LibRelease = F(r1, 4);
  }
}

void TIDFfile::LoadSections(TSearchStringList& DataStrings) {
  StatusLog.Add("LoadSections");
  platform::TDecimalSeparatorGuard keepSeparator;
  std::string name, partNumber, unitWord, thickness;
  int index = 0;
  const int count = DataStrings.Count();
  while (index < count) {
    const std::vector<std::string> r1 = Fields(DataStrings, index);
    const std::string keyword = DeleteAll(F(r1, 0), ".");
    const TSectionType type = EnumFromWord<TSectionType>(keyword);
    if (type == kUnrecognisedEnum || type == stNONE) {
      ++index;
      continue;
    }
    const bool library = type == stELECTRICAL || type == stMECHANICAL || type == stALTIUMBODYELEMENT;
    if (!library) StatusLog.Add(CreateStatusLogEntry(type) + ">" + "Line:" + std::to_string(index + 1));
    const std::vector<std::string> r2 = Fields(DataStrings, index + 1);
    const bool idf3 = BrdFileVersion > 2;
    TOwnerType owner = otUNOWNED;
    TLayerType layer = ltTOP;
    int offset = 1;
    std::string failMessage;
    auto readOwner = [&] {
      if (idf3) owner = EnumFromWord<TOwnerType>(F(r1, 1));
    };
    auto lineError = [&](const std::string& text) { ErrorLog.Add(StatusLog.Last() + text); };

    // The end line is searched with the keyword as written in the file, dots removed.
    auto findEnd = [&]() {
      const int end = DataStrings.FindAfter(".END_" + keyword, index);
      if (end <= 0) throw ESectionEndError("Section end not found! (section " + keyword + ")");
      return end;
    };

    if (type == stHEADER) {
      ReadHeader(DataStrings, index, name, unitWord);
      index = findEnd() + 1;
      continue;
    }

    if (library) {
      const int end = findEnd();
      const std::size_t need = type == stALTIUMBODYELEMENT ? 6 : 4;
      const bool countOk = type == stALTIUMBODYELEMENT ? r2.size() >= need : r2.size() == need;
      if (!countOk) {
        if (type != stALTIUMBODYELEMENT) {
          ErrorLog.Add("Library File Line: " + std::to_string(index) +
                       " > Incorrect number of fields (should be 4 - there are " + std::to_string(r2.size()) + ")");
          ErrorLog.Add(std::string(12, ' ') + ListToCommaText(r2));
        }
        index = end + 1;
        continue;
      }
      name = r2[0];
      partNumber = r2[1];
      unitWord = r2[2];
      StatusLog.Add(CreateLibraryFileStatusLogEntry(type, name) + ">" + "Line:" + std::to_string(index + 1));
      double height = 0;
      const bool parsed = type == stALTIUMBODYELEMENT ? TryStrToFloat(r2[3], height)
                                                      : TryStrToFloat(FixDecimalSeparator(r2[3]), height);
      thickness = (!parsed || std::fabs(height) < 5e-5) ? "0" : r2[3];
      try {
        auto s = std::make_unique<TSection>(this, type, otNONE, ltNONE, name, partNumber, unitWord, thickness,
                                            DataStrings, index + 2, end - 1);
        if (type == stALTIUMBODYELEMENT) {
          s->Offset = StrToFloat(r2[4]) * s->FUnitFactor;
          s->BodyColour = StrToInt(r2[5]);
          if (r2.size() == 7) s->CylOrSphereData = r2[6];
          ++AltiumBodyCount;
        } else if (type == stELECTRICAL) {
          ++ElecPartCount;
        } else {
          ++MechPartCount;
        }
        fSectionList.push_back(std::move(s));
      } catch (const std::exception&) {
        ErrorLog.Add((type == stALTIUMBODYELEMENT ? "Exception creating Library file Altium Body element entry for "
                                                  : "Exception creating Library file entry for ") +
                     name);
      }
      index = end + 1;
      continue;
    }

    switch (type) {
      case stBOARD_OUTLINE:
      case stPANEL_OUTLINE:
        readOwner();
        thickness = F(r2, 0);
        offset = 2;
        failMessage = type == stBOARD_OUTLINE ? " Board file entry for Board Outline section"
                                              : " Board file entry for Panel Outline section";
        break;
      case stOTHER_OUTLINE:
        readOwner();
        if (idf3) {
          if (r2.size() < 3)
            lineError(" Other Outline missing Layer Data - assuming Top Layer");
          else
            layer = EnumFromWord<TLayerType>(r2[2]);
        }
        name = r2.size() == 1 ? "UnKnown" : F(r2, 0);
        thickness = r2.size() == 1 ? F(r2, 0) : F(r2, 1);
        offset = 2;
        failMessage = " Board file entry for Other Outline section : " + name;
        break;
      case stROUTE_OUTLINE:
        readOwner();
        if (idf3) layer = EnumFromWord<TLayerType>(F(r2, 0));
        offset = idf3 ? 2 : 1;
        failMessage = " Board file entry for Route Outline section";
        break;
      case stPLACE_OUTLINE:
        readOwner();
        if (idf3) {
          layer = EnumFromWord<TLayerType>(F(r2, 0));
          if (r2.size() == 2) {
            thickness = r2[1];
          } else {
            thickness = "0";
            lineError(" No Height entry");
          }
        }
        offset = idf3 ? 2 : 1;
        failMessage = " Board file entry for Place Outline section";
        break;
      case stROUTE_KEEPOUT:
        readOwner();
        layer = EnumFromWord<TLayerType>(F(r2, 0));
        offset = 2;
        failMessage = " Board file entry for Route Keepout section";
        break;
      case stVIA_KEEPOUT:
        readOwner();
        offset = 1;
        failMessage = " Board file entry for Via Keepout section";
        break;
      case stPLACE_KEEPOUT:
        readOwner();
        layer = EnumFromWord<TLayerType>(F(r2, 0));
        if (idf3)
          thickness = r2.size() < 2 ? std::string() : r2[1];
        else
          thickness = F(r2, 1);
        offset = 2;
        failMessage = " Board file entry for Place Keepout section";
        break;
      case stPLACE_REGION:
        readOwner();
        layer = EnumFromWord<TLayerType>(F(r2, 0));
        name = r2.size() < 2 ? "Place_Region_" + std::to_string(++MissingPlaceRegionNameIndex) : r2[1];
        offset = 2;
        failMessage = " Board file entry for Place Region section";
        break;
      case stDRILLED_HOLES:
        offset = 1;
        failMessage = " Board file entry for Drilled Holes section";
        break;
      case stNOTES:
        offset = 1;
        failMessage = " Board file entry for Notes section";
        break;
      case stPLACEMENT:
        owner = otNONE;
        layer = ltNONE;
        offset = 1;
        failMessage = " Board file entry for Placement section";
        break;
      default: break;
    }

    const int end = findEnd();
    try {
      auto s = std::make_unique<TSection>(this, type, owner, layer, name, partNumber, unitWord, thickness, DataStrings,
                                          index + offset, end - 1);
      if (type == stBOARD_OUTLINE || type == stPANEL_OUTLINE) BoardThickness = s->Thickness;
      if (type == stDRILLED_HOLES) {
        DrilledHolesInPCB = std::to_string(s->NumDrilledHoles);
        SummaryLog.AddTabbed({"Drilled Holes: ", DrilledHolesInPCB});
      }
      if (type == stPLACEMENT) {
        PartsOnPCB = std::to_string(s->NumPlacements);
        SummaryLog.AddTabbed({"Parts:         ", PartsOnPCB});
      }
      fSectionList.push_back(std::move(s));
    } catch (const std::exception& e) {
      // The reason names the value at fault ("... is out of range").
      ErrorLog.Add(StatusLog.Last() + failMessage + " | " + e.what());
      if (type == stBOARD_OUTLINE) BoardOutlineRejected = true;
    }
    index = end + 1;
  }
}
