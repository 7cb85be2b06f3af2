// The host's own STEP writer: the B-rep it built goes out as text directly (planes,
// cylinders and the other elementary surfaces, lines, circles and ellipses), and parts
// already written are copied into assemblies as text. Shapes are in centimetres, files
// in millimetres.
#pragma once

#include "corvane/StepFiles.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Each returns false, with the reason in Why, when the model holds something this writer
// does not cover; the caller then takes OpenCASCADE's translator.
bool WriteStepPartText(const TModelFile& Part, std::string& Out, std::string& Why);
// Every placed model needs its file's entities (TModelFile::Step). The text goes to Sink piece
// by piece as it is made; after a false return what it got is no file.
bool WriteStepAssemblyText(const std::string& Name, const std::vector<TPlacedModel>& Placements,
                           const std::function<void(std::string_view)>& Sink, std::string& Why);

}  // namespace corvane
