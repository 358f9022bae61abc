// The main of every widget test program: one QApplication, on the offscreen platform unless
// the environment asks for another, in a home of its own.
#include "TestTree.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <utility>

int main(int argc, char** argv) {
    if (!zolt::test::EnterBuildTree()) {
        return 1;
    }
    // What the window remembers, the folders it makes and where its dialogs start stay inside
    // the test program: a home of its own, gone when it ends.
    const QTemporaryDir home;
    for (const auto& [name, folder] :
         {std::pair{"HOME", ""}, std::pair{"XDG_CONFIG_HOME", "/.config"},
          std::pair{"XDG_DATA_HOME", "/.local/share"}}) {
        qputenv(name, (home.path() + QLatin1String(folder)).toLocal8Bit());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // numbers print with "." whatever the locale
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
