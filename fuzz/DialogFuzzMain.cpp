#include "fuzz/DialogFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return DialogFuzzOne(data, size); }
