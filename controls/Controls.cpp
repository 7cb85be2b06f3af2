#include "controls/Controls.h"

#include <algorithm>

namespace controls {

std::string TControl::PlainCaption() const {
  std::string out;
  for (std::size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&') {
      if (i + 1 < Caption.size() && Caption[i + 1] == '&') out += '&', ++i;
      continue;
    }
    out += Caption[i];
  }
  return out;
}

void TRadioButton::SetChecked(bool value) {
  if (value && fGroup)
    for (TRadioButton* other : *fGroup)
      if (other != this) other->fChecked = false;
  fChecked = value;
}

void TEdit::SetText(const std::string& text) {
  if (text == fText) return;
  fText = text;
  if (OnChange) OnChange();
}

void TEdit::TypeChar(char key) {
  if (!Usable() || ReadOnly) return;
  if (OnKeyPress) OnKeyPress(key);
  if (key == '\0') return;
  if (key == '\b') {
    if (!fText.empty()) SetText(fText.substr(0, fText.size() - 1));
    return;
  }
  SetText(fText + key);
}

void TComboBox::SetItemIndex(int index) {
  fItemIndex = (index >= 0 && index < static_cast<int>(Items.size())) ? index : -1;
}

std::string TComboBox::Text() const {
  return fItemIndex >= 0 ? Items[static_cast<std::size_t>(fItemIndex)] : std::string();
}

void TComboBox::Select(int index) {
  if (!Usable()) return;
  SetItemIndex(index);
  if (OnChange) OnChange();
}

void TComboBox::TypeChar(char key) {
  if (!Usable()) return;
  if (OnKeyPress) OnKeyPress(key);
  // The list is the only way to choose; a typed key that survives selects nothing here.
}

void TStringGrid::Resize() {
  fCells.resize(static_cast<std::size_t>(std::max(fRowCount, 0)));
  for (auto& row : fCells) row.resize(static_cast<std::size_t>(std::max(fColCount, 0)));
}

void TStringGrid::SetColCount(int n) {
  fColCount = std::max(n, 0);
  Resize();
}

void TStringGrid::SetRowCount(int n) {
  fRowCount = std::max(n, 0);
  Resize();
}

std::string TStringGrid::Cell(int col, int row) const {
  if (row < 0 || col < 0 || row >= static_cast<int>(fCells.size())) return {};
  const auto& r = fCells[static_cast<std::size_t>(row)];
  return col < static_cast<int>(r.size()) ? r[static_cast<std::size_t>(col)] : std::string();
}

void TStringGrid::SetCell(int col, int row, const std::string& text) {
  if (fCells.size() != static_cast<std::size_t>(fRowCount)) Resize();
  if (row < 0 || col < 0 || row >= fRowCount || col >= fColCount) return;
  fCells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
}

int TCheckListBox::Add(const std::string& item, bool checked) {
  fItems.push_back(item);
  fChecked.push_back(checked);
  return Count() - 1;
}

void TCheckListBox::Clear() {
  fItems.clear();
  fChecked.clear();
}

std::string TMemo::Text() const {
  std::string out;
  for (const auto& l : Lines) out += l + "\n";
  return out;
}

void TProgressBar::StepIt() { Position = std::min(Max, Position + Step); }

void TPageControl::AddPage(TTabSheet* sheet) {
  sheet->PageIndex = PageCount();
  fPages.push_back(sheet);
  if (!fActive) fActive = sheet;
}

void TPageControl::SetActivePage(TTabSheet* sheet) {
  fActive = sheet;
  if (sheet && sheet->OnShow) sheet->OnShow();
}

void TPageControl::SelectPage(TTabSheet* sheet) {
  if (!Usable() || !sheet || !sheet->Usable()) return;
  SetActivePage(sheet);
  if (OnChange) OnChange();
}

}  // namespace controls
