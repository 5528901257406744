#include "fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StopOnViolation(CheckRawReceive(FuzzInput(data, size)));
    return 0;
}
