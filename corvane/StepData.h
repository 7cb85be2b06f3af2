// The entities of a STEP file as text, for copying them into another file: a library part
// or a part this process wrote goes into an assembly without translating its geometry.
#pragma once

#include "corvane/StepText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

// Kept small: a board's file has about thirty entities a hole.
struct TStepEntity {
  int Id = 0;
  uint32_t TypeSize = 0;  // the keyword starts the text
  const char* At = nullptr;
  uint32_t Size = 0;
  // Upper case keyword; empty for a complex entity "(A() B())".
  std::string_view Type() const { return {At, TypeSize}; }
  // Everything between '=' and ';'.
  std::string_view Text() const { return {At, Size}; }
};

class TStepData {
 public:
  // False when the text is no exchange file with a data section.
  bool Parse(std::string Text);

  const std::vector<TStepEntity>& Entities() const { return FEntities; }
  size_t TextSize() const { return FText.size(); }
  const TStepEntity* Find(int Id) const;
  // Top-level parameters of a simple entity, trimmed.
  static std::vector<std::string_view> Params(const TStepEntity& E);
  // Entity numbers referenced in a piece of text (strings skipped).
  static std::vector<int> Refs(std::string_view Text);

 private:
  std::string FText;
  std::vector<TStepEntity> FEntities;
  // Only when the file does not number its entities in increasing order; else a binary search.
  std::unordered_map<int, size_t> FIndex;
  bool FSorted = true;
};

// Where a copied part sits in the file it was copied into.
struct TEmbeddedPart {
  int ProductDefinition = 0;
  int Representation = 0;   // the shape representation its product definition uses
  std::vector<int> Solids;  // solid items that styles can refer to, with their context
  int SolidContext = 0;
  // An item of the representation at the origin along the standard axes, which placements map
  // from; 0 when it has none.
  int Origin = 0;
};

// A file this host wrote, as an assembly can copy it without parsing: its data section (the
// bytes from DataBegin to DataEnd) numbers its entities from 1 to Last, and its application
// context serves the assembly as well.
struct TStepLayout {
  uint64_t DataBegin = 0, DataEnd = 0;
  int Last = 0;
  int AppContext = 0;
  TEmbeddedPart Part;
};

// Copies the entities of a single-product file (a part or an assembly) into Out with new
// numbers; its application context and protocol become AppContext and the one of Out.
// False (with Why) when the file's product structure is not one root product with one
// shape representation.
bool EmbedStepData(const TStepData& Data, TStepText& Out, int AppContext, TEmbeddedPart& Part, std::string& Why);

}  // namespace corvane
