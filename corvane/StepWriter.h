// The host's own STEP writer: the B-rep it built goes out as text directly (planes,
// cylinders and the other elementary surfaces, lines, circles and ellipses), and parts
// already written are copied into assemblies as text. Shapes are in centimetres, files
// in millimetres.
#pragma once

#include "corvane/StepFiles.h"

#include <string>
#include <vector>

namespace corvane {

// Each returns false, with the reason in Why, when the model holds something this writer
// does not cover; the caller then takes OpenCASCADE's translator.
bool WriteStepPartText(const TModelFile& Part, std::string& Out, std::string& Why);
// Every placed model needs its file's entities (TModelFile::Step).
bool WriteStepAssemblyText(const std::string& Name, const std::vector<TPlacedModel>& Placements, std::string& Out,
                           std::string& Why);

}  // namespace corvane
