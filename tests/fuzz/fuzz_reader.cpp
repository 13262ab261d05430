// libFuzzer target: the D88 container reader.
#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader(data, size);
    return 0;
}
