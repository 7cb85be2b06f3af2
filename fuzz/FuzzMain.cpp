#include "fuzz/IdfFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return IdfFuzzOne(data, size); }
