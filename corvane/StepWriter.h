// The host's own STEP writer: the B-rep it built goes out as text directly (planes,
// cylinders and the other elementary surfaces, lines, circles and ellipses), and parts
// already written are copied into assemblies as text. Shapes are in centimetres, files
// in millimetres.
#pragma once

#include "corvane/StepData.h"
#include "corvane/StepFiles.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// How the entities of each placed model reach an assembly.
struct TAssemblySources {
  // A part file this process wrote, whose data section CopyFirst writes to the sink as it
  // stands, first of all: its entities keep their numbers and are not parsed. One of the placed
  // models, or null.
  const TModelFile* First = nullptr;
  TStepLayout FirstLayout;
  std::function<void()> CopyFirst;
  // The entities of a model that has none in memory (TModelFile::Step); null when it cannot
  // have them.
  std::function<std::shared_ptr<const TStepData>(const TModelFile&)> Entities;
};

// Each returns false, with the reason in Why, when the model holds something this writer
// does not cover; the caller then takes OpenCASCADE's translator. The text goes to Sink piece
// by piece as it is made; after a false return what it got is no file.
// Layout tells where the part's entities went in the text.
bool WriteStepPartText(const TModelFile& Part, const std::function<void(std::string_view)>& Sink, TStepLayout& Layout,
                       std::string& Why);
bool WriteStepAssemblyText(const std::string& Name, const std::vector<TPlacedModel>& Placements,
                           const std::function<void(std::string_view)>& Sink, const TAssemblySources& Sources,
                           std::string& Why);

}  // namespace corvane
