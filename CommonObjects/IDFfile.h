#pragma once
// One IDF file set: a board (or panel) file and its library file, their cleaned lines, the
// parsed sections and the logs of an import run.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "CommonObjects/IdfEnums.h"
#include "CommonObjects/IdfStrUtils.h"
#include "CommonObjects/MathUtils.h"
#include "platform/Platform.h"

class TIDFfile;
class TBoardOutlineObjectList;

struct TFilePath {
  std::string Path;
  std::string Directory;  // with its trailing separator
  std::string FileName;   // without directory and extension
  std::string Extension;  // with its leading dot, case kept
  static TFilePath Split(const std::string& path);
};

// Raised when a section keyword has no ".END_" line; it ends the whole load.
class ESectionEndError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One data record; only the fields of its kind are meaningful (and Side on outline points).
struct TDataRec {
  int Line = 0;  // cleaned line of the file, from 1
  int Loop = 0;
  double X = 0, Y = 0;
  std::string Designator;
  bool Tag = false;
  TRecordType RecType = rtNONE;
  // arc
  signed char Direction = 0;
  double Xorig = 0, Yorig = 0;
  // circle and hole
  double Radius = 0;
  TPlatingStyle PlatingStyle = psNONE;
  TAssocPart AssocPart = apNONE;
  THoleType HoleType = htNONE;
  TOwnerType HoleOwner = otNONE;
  std::string UserHoleType;  // at most 12 characters
  // placement
  std::string PackageName;  // at most 255 characters
  std::string PartNo;       // at most 255 characters
  TAssocPart RefDesignator = apNONE;
  double Offset = 0;
  double Rotation = 0;
  TLayerType Side = ltNONE;
  TUpdatePlacementAction UpdatePlacementAction = upNONE;
  TOwnerType Status = otNONE;
  // note
  double TextHeight = 0, TextLength = 0;
};

class TSection {
 public:
  // The record parser. Raises for records it cannot convert; the caller drops the section.
  TSection(TIDFfile* IDFParent, TSectionType SectionType, TOwnerType Owner, TLayerType LayerType,
           const std::string& Name, const std::string& PartNumber, const std::string& Units,
           const std::string& aThickness, const TSearchStringList& DataStrings, int DataStart, int DataEnd);
  // An empty section (used for the header).
  static std::unique_ptr<TSection> CreateNew(TIDFfile* IDFParent);

  void SetUnitFactor();
  static int PlacementSectionRecordValidation(int R1Count, int R2Count, int IdfVer);

  int Count() const { return static_cast<int>(fRecords.size()); }
  TDataRec& Items(int i) { return *fRecords.at(static_cast<std::size_t>(i)); }
  const TDataRec& Items(int i) const { return *fRecords.at(static_cast<std::size_t>(i)); }
  const std::vector<std::unique_ptr<TDataRec>>& Records() const { return fRecords; }
  void Add(std::unique_ptr<TDataRec> rec) { fRecords.push_back(std::move(rec)); }

  TSectionType SectType = stNONE;
  TOwnerType OwnerType = otECAD;
  TLayerType LayerType = ltTOP;
  std::string GeometryName = "UndefinedName";
  std::string PartNumber = "UndefinedPart";
  TUnitsType Units = utMM;
  double Thickness = 1.0;
  double Offset = 0;
  int BodyColour = 0;
  std::string CylOrSphereData;
  int NumLines = 0;
  int NumArcs = 0;
  int FNumCircles = 0;
  int NumDrilledHoles = 0;
  int NumLoops = 0;
  int FNumNotes = 0;
  int NumPlacements = 0;
  TSearchStringList Log;
  TSearchStringList Properties;
  double FUnitFactor = 1.0;

 private:
  explicit TSection(TIDFfile* IDFParent) : fParent(IDFParent) {}
  void ReadOutline(const TSearchStringList& lines, int start, int end);
  void ReadDrilledHoles(const TSearchStringList& lines, int start, int end);
  void ReadNotes(const TSearchStringList& lines, int start, int end);
  void ReadPlacements(const TSearchStringList& lines, int start, int end);
  void WriteLog(const std::string& handedName, TUnitsType inputUnits);
  double Num(const std::string& field) const;
  double Len(const std::string& field) const { return Num(field) * FUnitFactor; }
  const std::string& LastStatus() const;

  TIDFfile* fParent;
  std::vector<std::unique_ptr<TDataRec>> fRecords;
};

class TIDFfile {
 public:
  TIDFfile();
  ~TIDFfile();
  TIDFfile(const TIDFfile&) = delete;
  TIDFfile& operator=(const TIDFfile&) = delete;

  bool OpenIDFfiles(const std::string& DefaultPath);
  bool OpenIDFfilesNoDialogue(const std::string& IdfBrdFile);
  bool LoadFiles();
  bool PreFormatIdfData();
  bool LoadIdfData();
  void LoadSections(TSearchStringList& DataStrings);
  void AddSection(TSection*& Section, TSectionType SectionType, const std::string& GeometryName, TUnitsType Units);
  TSection* FindFirstSection(TSectionType SectionType);
  TSection* FindNextSection();
  void UpdateBoardThickness();
  void SetDecimalSep();
  static std::string GetNameValueData(const std::string& NameValueStr, const std::string& Delim, bool Name);
  static std::string SetBoardFileBrowseExt();
  static std::string SetLibFileBrowseExt();
  void ReportErrors(const std::string& aErrorDetail);
  void ReportException(const std::string& aComment, const std::string& aErrorDetail);
  static std::string CreateStatusLogEntry(TSectionType SectionType);
  static std::string CreateLibraryFileStatusLogEntry(TSectionType SectionType, const std::string& PackageName);

  const std::vector<std::unique_ptr<TSection>>& SectionList() const { return fSectionList; }
  int SectionCount() const { return static_cast<int>(fSectionList.size()); }
  TSection* Section(int i) const { return fSectionList.at(static_cast<std::size_t>(i)).get(); }

  TFilePath BoardFile;
  TFilePath LibFile;
  TSearchStringList BoardStrings;
  TSearchStringList LibStrings;
  int BrdFileVersion = 3;
  int LibFileVersion = 3;
  std::string Source = "Pellmark IDF";
  std::string FileCreated;
  std::string BrdCreated;
  std::string LibCreated;
  std::string FFileVersion = "1.0";
  std::string BrdRelease;
  std::string LibRelease;
  std::string IdfBoardName;
  std::string IDFBoardUnits;
  std::string IDFLibraryName;
  bool IsPanelFile = false;
  // A board outline section was there but could not be read; its own error line says why.
  bool BoardOutlineRejected = false;
  TUnitsType OutputUnits = utMETRE;
  double BoardThickness = 0;
  int ElecPartCount = 0;
  int MechPartCount = 0;
  int AltiumBodyCount = 0;
  std::string PartsOnPCB;
  std::string DrilledHolesInPCB;
  bool IgnoreRegionalDecPoint = false;
  int MissingPlaceRegionNameIndex = 0;
  platform::TFileDialogRequest OpenDialog;
  TSectionType FFindSectionType = stNONE;
  int FFindSectionIndex = 0;
  std::vector<std::pair<std::string, std::string>> FFileExtMap;

  TSearchStringList SummaryLog;
  TSearchStringList VerifyLog;
  TSearchStringList ErrorLog;
  TSearchStringList WarningLog;
  TSearchStringList StatusLog;

  // Section outlines and hole lists (IDFfileOutlines.cpp).
  void SectionToOutlineList(const TSection* Section, TBoardOutlineObjectList& List, double Factor);
  void DrilledHolesSectionToOutlineList(const TSection* Section, THoleType HoleType, TPlatingStyle PlatingStyle,
                                        bool aHoleFilterIsActive, bool aIsGreaterThan, double aHoleFilterValue,
                                        TBoardOutlineObjectList& List);
  // The same from the section's outline list made once (SectionToOutlineList, factor 1), so that
  // the nine kinds of hole do not read the section nine times.
  static void DrilledHolesToOutlineList(const TBoardOutlineObjectList& AllHoles, THoleType HoleType,
                                        TPlatingStyle PlatingStyle, bool aHoleFilterIsActive, bool aIsGreaterThan,
                                        double aHoleFilterValue, TBoardOutlineObjectList& List);
  void AddHoleData(TBoardOutlineObjectList& List, int Index, const TDataRec& Rec);
  static std::string BuildHoleFeatureName(THoleType HoleType, TPlatingStyle PlatingStyle);
  static std::string BuildIdfHoleAttributeName(TPlatingStyle aPlatingStyle, THoleType aHoleType);
  static TIdfHoleType TranslateHoleType(THoleType HoleType);
  static bool TranslatePlatingStyleToBoolean(TPlatingStyle PlatingStyle);
  static bool TopOrBottomLayerToBoolean(TLayerType aLayer);
  // BoardFile from boardPath and LibFile from its extension (a case variant that exists counts).
  void DeriveLibraryFile(const std::string& boardPath, bool keepOwnPath);

 private:
  bool AskForLibraryFile(const std::string& initialDir);
  bool CleanAndCheck(TSearchStringList& lines, const std::vector<std::string>& kinds, const std::string& message);
  void ReportUnterminatedQuotes(const TSearchStringList& lines, const std::string& file);
  void ReadHeader(TSearchStringList& lines, int index, std::string& sectionName, std::string& unitWord);

  std::vector<std::unique_ptr<TSection>> fSectionList;
};

// Version of a header version field: 2 when it starts with "2", else 3.
int IdfVersionOf(const std::string& field);
