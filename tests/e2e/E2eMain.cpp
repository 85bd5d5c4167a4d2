// GoogleTest's main for the end-to-end suite: where the program, the scratch folders and the
// screenshots are come from the command line (ctest passes them).
#include <gtest/gtest.h>

#include <cstdio>

#include "E2eSupport.h"

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!velt::e2e::ParseConfig(argc, argv)) {
        std::fprintf(stderr, "usage: velt_e2e_tests --dist=DIR --work=DIR --work-unix=PATH --shots=DIR\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
