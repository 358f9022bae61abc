# zolt_library(NAME <target> [UI] [EXCLUDE <regex>] [LINK <targets>...])
# A static library from the .cpp files of the calling folder. Core libraries get
# only the repository root as include path, so no Qt header can be reached from them.
# UI libraries run moc and read the Qt headers precompiled once (zolt_qt_pch).
function(zolt_library)
    cmake_parse_arguments(ARG "UI" "NAME;EXCLUDE;INCLUDE" "LINK" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${ARG_EXCLUDE}")
        list(FILTER headers EXCLUDE REGEX "${ARG_EXCLUDE}")
    endif()
    if(ARG_INCLUDE)
        list(FILTER sources INCLUDE REGEX "${ARG_INCLUDE}")
        list(FILTER headers INCLUDE REGEX "${ARG_INCLUDE}")
    endif()
    set(scope PUBLIC)
    if(sources)
        add_library(${ARG_NAME} STATIC ${sources} ${headers})
    else()
        # A folder still without sources: an interface target keeps its dependents linking.
        add_library(${ARG_NAME} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(${ARG_NAME} ${scope} ${PROJECT_SOURCE_DIR})
    target_link_libraries(${ARG_NAME} ${scope} ${ARG_LINK})
    if(ARG_UI)
        target_link_libraries(${ARG_NAME} ${scope} Qt6::Widgets)
        if(sources)
            set_target_properties(${ARG_NAME} PROPERTIES AUTOMOC ON)
            target_precompile_headers(${ARG_NAME} REUSE_FROM zolt_qt_pch)
        endif()
    endif()
endfunction()

# The Qt headers most UI sources read, precompiled once per build tree for every UI
# library. The target only carries the precompiled header; its source is empty.
function(zolt_qt_pch)
    set(anchor ${CMAKE_BINARY_DIR}/zolt_qt_pch.cpp)
    file(CONFIGURE OUTPUT ${anchor} CONTENT "")
    add_library(zolt_qt_pch OBJECT ${anchor})
    target_link_libraries(zolt_qt_pch PRIVATE Qt6::Widgets)
    target_precompile_headers(zolt_qt_pch PRIVATE ${ZOLT_QT_PCH_HEADERS})
endfunction()
set(ZOLT_QT_PCH_HEADERS
    <QApplication> <QComboBox> <QEvent> <QFont> <QKeyEvent> <QLabel> <QLineEdit>
    <QMouseEvent> <QPainter> <QPixmap> <QPointer> <QPushButton> <QSlider> <QString> <QTimer>
    <QWidget> <array> <functional> <memory> <string> <vector>)

# zolt_test(NAME <executable> SOURCES <files>... LINK <targets>... [QT] [TSAN] [SHARDS <n>])
# One GoogleTest program and one CTest entry that runs it whole, in one process; gtest's
# output names every test that failed. A program whose tests mostly wait (pseudo-terminals
# at the line rate, the window's timers) gives SHARDS n: n entries that run side by side,
# each a share of the tests. QT programs share one main that creates the QApplication.
# TSAN programs drive the comm thread (or their own threads) and carry the label tsan: the
# Makefile's tsan target runs them under ThreadSanitizer.
function(zolt_test)
    cmake_parse_arguments(ARG "QT;TSAN" "NAME;SHARDS" "SOURCES;LINK" ${ARGN})
    set(main zolt_test_main)
    if(ARG_QT)
        set(main zolt_qt_test_main)
    endif()
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${main} ${ARG_LINK})
    target_precompile_headers(${ARG_NAME} REUSE_FROM ${main})
    # A program that hangs (a modal box nobody answers) fails in minutes, not at CTest's
    # 25-minute default.
    set(properties ENVIRONMENT "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp"
                   TIMEOUT 600)
    if(ARG_TSAN)
        list(APPEND properties LABELS tsan)
    endif()
    if(NOT ARG_SHARDS)
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
        set_tests_properties(${ARG_NAME} PROPERTIES ${properties})
        return()
    endif()
    math(EXPR last "${ARG_SHARDS} - 1")
    foreach(shard RANGE ${last})
        set(name ${ARG_NAME}.${shard})
        add_test(NAME ${name} COMMAND ${ARG_NAME})
        set_tests_properties(${name} PROPERTIES ${properties})
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT GTEST_TOTAL_SHARDS=${ARG_SHARDS}
                                                              GTEST_SHARD_INDEX=${shard})
    endforeach()
endfunction()

# The mains of the test programs, compiled once per build tree, each with the headers its
# programs read precompiled; what they carry reaches every test program. The programs name
# their output folder and the programs they start relative to the build tree, which the
# mains enter (tests/TestTree.h). In the optimised trees the tests' own code is compiled
# with -Og, in half the time of -O2; the code under test keeps the tree's optimisation.
function(zolt_test_mains)
    set(definitions ZOLT_TEST_OUTPUT_DIR="test-output" ZOLT_BIN_DIR="bin")
    set(options $<$<NOT:$<CONFIG:Debug>>:-Og>)
    add_library(zolt_test_main OBJECT ${PROJECT_SOURCE_DIR}/tests/TestMain.cpp)
    target_link_libraries(zolt_test_main PUBLIC GTest::gtest GTest::gmock)
    target_compile_definitions(zolt_test_main PUBLIC ${definitions})
    target_compile_options(zolt_test_main PUBLIC ${options})
    target_precompile_headers(zolt_test_main PRIVATE <gtest/gtest.h> <gmock/gmock.h> <array>
                              <filesystem> <string> <vector>)
    if(ZOLT_WITH_UI)
        add_library(zolt_qt_test_main OBJECT ${PROJECT_SOURCE_DIR}/tests/QtTestMain.cpp)
        target_link_libraries(zolt_qt_test_main PUBLIC GTest::gtest GTest::gmock Qt6::Widgets
                                                       Qt6::Test)
        target_compile_definitions(zolt_qt_test_main PUBLIC ${definitions})
        target_compile_options(zolt_qt_test_main PUBLIC ${options})
        target_precompile_headers(zolt_qt_test_main PRIVATE <gtest/gtest.h> <gmock/gmock.h>
                                  ${ZOLT_QT_PCH_HEADERS} <QTest>)
    endif()
endfunction()
