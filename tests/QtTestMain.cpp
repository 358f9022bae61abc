// The main of every widget test program: one QApplication, on the offscreen platform unless
// the environment asks for another.
#include "TestTree.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    if (!zolt::test::EnterBuildTree()) {
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // numbers print with "." whatever the locale
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
