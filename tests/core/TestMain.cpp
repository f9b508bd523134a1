#include "core/imaging/ImagingRuntime.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    vantrel::initImaging(argv[0]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
