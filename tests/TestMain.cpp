// The main of every test program without widgets.
#include "TestTree.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!zolt::test::EnterBuildTree()) {
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
