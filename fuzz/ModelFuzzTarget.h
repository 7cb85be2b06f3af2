#pragma once
#include <cstddef>
#include <cstdint>

// Builds the board of one fuzz input (split as for IdfFuzzOne) in the OpenCASCADE host: the
// outline's buildable loops extruded, each hole category's sketchable holes cut through it.
// Returns 0; a fault shows up as a crash, a hang or a sanitizer report.
int ModelFuzzOne(const std::uint8_t* data, std::size_t size);
