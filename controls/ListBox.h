#pragma once
// A single-selection list of texts.
#include <string>
#include <vector>

#include "controls/Controls.h"

namespace controls {

class TListBox : public TControl {
 public:
  using TControl::TControl;
  std::vector<std::string> Items;
  int Count() const { return static_cast<int>(Items.size()); }
  int ItemIndex() const { return fItemIndex < Count() ? fItemIndex : -1; }
  // An index outside the items selects nothing.
  void SetItemIndex(int index) { fItemIndex = (index >= 0 && index < Count()) ? index : -1; }
  // The user clicks a line: select it, then OnClick.
  void ClickItem(int index) {
    if (!Usable()) return;
    SetItemIndex(index);
    if (OnClick) OnClick();
  }

 private:
  int fItemIndex = -1;
};

}  // namespace controls
