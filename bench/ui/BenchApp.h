// The one QApplication of the UI benchmarks, on the offscreen platform unless the
// environment names another.
#pragma once

#include <QApplication>

namespace zolt::bench {

inline QApplication& App() {
    static int s_argc = 1;
    static char s_name[] = "zolt-bench";
    static char* s_argv[] = {s_name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication s_app(s_argc, s_argv);
    return s_app;
}

} // namespace zolt::bench
