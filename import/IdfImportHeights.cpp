// The working length unit, the height grid of the parts created from the library, and the
// colour list with its grid.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

namespace {
struct TNamedColour {
  const char* Name;
  int Value;
};
const TNamedColour kNamedColours[] = {
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},       {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},     {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
};
constexpr int kDefaultPickColour = 0x008000;  // clGreen

bool ParseHex(std::string_view digits, int& value) {
  std::uint32_t v = 0;
  if (!TryHexToUInt32(digits, v)) return false;
  value = static_cast<int>(v);
  return true;
}

struct TUnitRow {
  TUnitsType Units;
  int Precision;
};
bool UnitOfIndex(int index, TUnitRow& row) {
  switch (index) {
    case 0: row = {utMM, 3}; return true;
    case 1: row = {utINCH, 5}; return true;
    case 2: row = {utTHOU, 2}; return true;
    default: return false;
  }
}

// The heights are taken over at each visit of the Library tab too; one line per fault is enough.
void ReportOnce(TSearchStringList& log, const std::string& line) {
  const auto& l = log.Lines();
  if (std::find(l.begin(), l.end(), line) == l.end()) log.Add(line);
}

std::string EntryName(const std::string& entry) { return entry.substr(0, entry.find('=')); }
std::string EntryValue(const std::string& entry) {
  const std::size_t eq = entry.find('=');
  return eq == std::string::npos ? std::string() : entry.substr(eq + 1);
}
}  // namespace

// A colour name, a decimal integer, or hexadecimal after "$" or "0x".
bool ColourTextToValue(const std::string& text, int& value) {
  for (const auto& c : kNamedColours)
    if (SameTextAscii(text, c.Name)) return value = c.Value, true;
  if (!text.empty() && text[0] == '$') return ParseHex(text.substr(1), value);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return ParseHex(text.substr(2), value);
  int n;
  if (TryStrToInt(text, n)) return value = n, true;
  return false;
}

std::string ColourValueToText(int value) {
  for (const auto& c : kNamedColours)
    if (c.Value == value) return c.Name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned int>(value));
  return buf;
}

// ---- working unit ----

void TIdfImportFormV4_XE2::HeightUnitsComboChange() {
  TUnitRow row;
  // Only the listed units exist; converting into none would scale every length by nonsense.
  if (!UnitOfIndex(HeightUnitsCombo.ItemIndex(), row)) return;
  const TUnitsType from = FFormUnits;
  FPrecision = row.Precision;
  UpdateUnitsLabels(row.Units);
  // A text that is no number stays as typed: there is nothing to convert, and the rest still is.
  auto convert = [&](const std::string& text, std::string& out) {
    double v;
    if (text.empty() || !TryStrToFloat(text, v)) return false;
    out = FormatFloat(ConvertToUnits(from, row.Units, v), FPrecision);
    return true;
  };
  std::string t;
  if (convert(DefaultHeightEdit.Text(), t)) DefaultHeightEdit.SetText(t);
  for (int r = 0; r < HeightGrid.RowCount(); ++r)
    if (convert(HeightGrid.Cell(1, r), t)) HeightGrid.SetCell(1, r, t);
  if (convert(CopperThickness.Text(), t)) CopperThickness.SetText(t);
  if (convert(BrdThicknessEdit.Text(), t)) BrdThicknessEdit.SetText(t);
  if (convert(FHoleFilterGreaterThanVal, t)) FHoleFilterGreaterThanVal = t;
  if (convert(FHoleFilterLessThanVal, t)) FHoleFilterLessThanVal = t;
  if (convert(HoleFilterSizeEdit.Text(), t)) {
    // The edit shows the size just converted above; its change handling would only repeat the
    // hole check in a unit that is not switched yet.
    auto onChange = std::move(HoleFilterSizeEdit.OnChange);
    HoleFilterSizeEdit.OnChange = nullptr;
    HoleFilterSizeEdit.SetText(t);
    HoleFilterSizeEdit.OnChange = std::move(onChange);
  }
  FFormUnits = row.Units;
}

// ---- height grid ----

void TIdfImportFormV4_XE2::LoadHeightGrid() {
  for (int r = 0; r < HeightGrid.RowCount(); ++r) {
    HeightGrid.SetCell(0, r, "");
    HeightGrid.SetCell(1, r, "");
  }
  int n = 0;
  ProcessElecOrMechSection(stELECTRICAL, n);
  ProcessElecOrMechSection(stMECHANICAL, n);
}

void TIdfImportFormV4_XE2::ProcessElecOrMechSection(TSectionType SectionType, int& n) {
  for (const auto& sec : FImportIDF->SectionList()) {
    if (sec->SectType != SectionType) continue;
    bool listed = false;
    for (int r = 0; r < n && !listed; ++r) listed = SameTextAscii(HeightGrid.Cell(0, r), sec->GeometryName);
    if (listed) continue;
    if (!UseLibParts.Checked) {
      AddHeightEntry(*sec, n);
      continue;
    }
    const std::vector<std::string>& paths = LibSearchPathCombobox.Items;
    if (paths.empty()) {
      platform::Services().MessageDlg("No entries in Part Library Paths", platform::TMsgDlgType::mtInformation,
                                      platform::mbOK);
      return;
    }
    if (paths.size() == 1 && paths[0].empty()) return;
    std::string libPath, ext;
    if (!CheckIfPartExistsExt(sec->GeometryName, paths, UseXrefCheckbox.Checked, libPath, ext)) AddHeightEntry(*sec, n);
  }
}

void TIdfImportFormV4_XE2::AddHeightEntry(const TSection& Section, int& n) {
  HeightGrid.SetRowCount(n + 1);
  HeightGrid.SetCell(0, n, Section.GeometryName);
  HeightGrid.SetCell(
      1, n,
      Section.Thickness == 0
          ? std::string("0")
          : FormatFloat(ConvertToUnits(FImportIDF->OutputUnits, FFormUnits, Section.Thickness), FPrecision));
  ++n;
}

void TIdfImportFormV4_XE2::UpdateIdfWithHeight() {
  DoSectionType(stELECTRICAL);
  DoSectionType(stMECHANICAL);
}

void TIdfImportFormV4_XE2::DoSectionType(TSectionType SectionType) {
  for (const auto& sec : FImportIDF->SectionList()) {
    if (sec->SectType != SectionType) continue;
    for (int r = 0; r < HeightGrid.RowCount(); ++r) {
      if (!SameTextAscii(HeightGrid.Cell(0, r), sec->GeometryName)) continue;
      const std::string& text = HeightGrid.Cell(1, r);
      double v;
      if (TryStrToFloat(text, v))
        sec->Thickness = ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, v);
      else
        ReportOnce(FImportIDF->ErrorLog, "Height of " + sec->GeometryName +
                                             (NumberShaped(text) ? " is out of range (" : " is not a number (") + text +
                                             "); the library height is used");
      break;
    }
  }
}

void TIdfImportFormV4_XE2::UpdateHeightGrid() {
  // Column widths are the front end's; the model only keeps the height column selected.
  HeightGrid.Col = 1;
}

void TIdfImportFormV4_XE2::HeightGridSelectCell(int ACol, int /*ARow*/, bool& CanSelect) { CanSelect = ACol != 0; }

void TIdfImportFormV4_XE2::HeightGridDrawCell(int /*ACol*/, int ARow) {
  if (!HeightGrid.Cell(0, ARow).empty() && HeightGrid.Cell(1, ARow).empty())
    HeightGrid.SetCell(1, ARow, DefaultHeightEdit.Text());
}

void TIdfImportFormV4_XE2::HeightGridKeyPress(char& Key) {
  if (Key == '\b') return;
  double v;
  if (!TryStrToFloat(HeightGrid.Cell(HeightGrid.Col, HeightGrid.Row) + Key, v)) Key = '\0';
}

void TIdfImportFormV4_XE2::HeightGridKeyDown() {
  double v;
  if (TryStrToFloat(HeightGrid.Cell(HeightGrid.Col, HeightGrid.Row), v))
    HeightGrid.SetCell(HeightGrid.Col, HeightGrid.Row, FormatFloat(v, FPrecision));
}

void TIdfImportFormV4_XE2::DefaultHeightEditExit() {
  double v;
  if (TryStrToFloat(DefaultHeightEdit.Text(), v)) DefaultHeightEdit.SetText(FormatFloat(v, FPrecision));
}

// ---- colours ----

int TIdfImportFormV4_XE2::GetPrefixColour(const std::string& Prefix) const {
  for (const auto& entry : FColourHoldingList.Lines()) {
    if (!SameTextAscii(EntryName(entry), Prefix)) continue;
    int v;
    return ColourTextToValue(EntryValue(entry), v) ? v : -1;
  }
  return -1;
}

bool TIdfImportFormV4_XE2::PrefixInUse(const TSection* Section, const std::string& Prefix) const {
  if (!Section) return false;
  for (const auto& r : Section->Records()) {
    if (r->Designator.empty()) continue;
    if (Prefix.size() == 1 && UpCaseAscii(r->Designator[0]) == Prefix[0]) return true;
  }
  return false;
}

void TIdfImportFormV4_XE2::LoadColours() {
  const bool all = ColourCheckBox.Checked;
  const TSection* placements = FImportIDF->FindFirstSection(stPLACEMENT);
  if (!all && !placements) return;
  for (int r = 0; r < ColourGrid.RowCount(); ++r) {
    ColourGrid.SetCell(0, r, "");
    ColourGrid.SetCell(1, r, "");
  }
  ColourGrid.SetRowCount(1);
  const auto& entries = FColourHoldingList.Lines();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string name = EntryName(entries[i]);
    const bool shown = name.size() >= 2 || all || (name.size() == 1 && PrefixInUse(placements, name));
    if (!shown) continue;
    const int row = ColourGrid.RowCount() - 1;
    ColourGrid.SetCell(0, row, name);
    ColourGrid.SetCell(1, row, EntryValue(entries[i]));
    if (i + 1 < entries.size()) ColourGrid.SetRowCount(row + 2);
  }
  ColourGrid.Col = 1;
}

void TIdfImportFormV4_XE2::ColourGridDblClick() {
  const int row = ColourGrid.Row;
  const std::string name = ColourGrid.Cell(0, row);
  // An empty row names no entry; a colour picked there would be stored nowhere.
  if (name.empty()) return;
  int colour;
  if (!ColourTextToValue(ColourGrid.Cell(1, row), colour)) colour = kDefaultPickColour;
  if (!platform::Services().SelectColour(colour)) return;
  const std::string text = ColourValueToText(colour);
  ColourGrid.SetCell(1, row, text);
  auto& lines = FColourHoldingList.Lines();
  for (auto& entry : lines)
    if (SameTextAscii(EntryName(entry), name)) {
      entry = EntryName(entry) + "=" + text;
      return;
    }
  FColourHoldingList.Add(name + "=" + text);
}

int TIdfImportFormV4_XE2::ColourGridDrawCell(int ACol, int ARow) const {
  int v;
  if (ACol != 1 || ColourGrid.Cell(1, ARow).empty() || !ColourTextToValue(ColourGrid.Cell(1, ARow), v)) return -1;
  return v;
}
