// libFuzzer target: loading and extracting every disk of a container.
#include <cstdio>

#include "harness.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::freopen("/dev/null", "w", stdout);  // the names of the files written
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzExtract(data, size);
    return 0;
}
