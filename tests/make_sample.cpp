// Writes the sample container: make_sample samples/sample.d88
#include <cstdio>

#include "sample.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output.d88\n", argv[0]);
        return 1;
    }
    fixture::WriteFile(argv[1], SampleContainer());
    return 0;
}
