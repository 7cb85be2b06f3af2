#pragma once
// The persisted options: value names, kinds and the values used when a name is absent.
#include <string>
#include <vector>

enum class TSettingKind { skText, skInteger, skBoolean };

struct TSettingInfo {
  std::string Name;
  TSettingKind Kind;
  std::string Absent;  // as text: "true"/"false", a decimal integer, or the text itself
};

// The generic import dialog's values, in load order.
const std::vector<TSettingInfo>& ImportDialogSettings();
// Values of the search path and cross-reference editors (same key).
const std::vector<TSettingInfo>& EditorSettings();
// The default colour list, in order.
const std::vector<std::string>& DefaultColourList();
