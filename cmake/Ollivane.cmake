# Helpers shared by every folder: one library target per folder, one test executable per test folder.

# Most of a file's compile time goes into the same Qt, standard and GoogleTest headers; each target
# compiles them once. Off for tools that read compile_commands.json with another compiler.
option(OLLIVANE_PCH "Precompile the common headers of each target" ON)

set(OLLIVANE_PCH_CORE <QByteArray> <QDateTime> <QDebug> <QDir> <QFile> <QFileInfo> <QHash> <QList>
    <QMap> <QObject> <QString> <QStringList> <QTimer> <functional> <map> <memory> <mutex> <optional>
    <thread> <vector>)
set(OLLIVANE_PCH_WIDGETS ${OLLIVANE_PCH_CORE} <QWidget>)
set(OLLIVANE_PCH_TESTS ${OLLIVANE_PCH_WIDGETS} <gtest/gtest.h> <gmock/gmock.h>)

# ollivane_precompile(TARGET CORE|WIDGETS|TESTS): the headers the target can reach through its links.
function(ollivane_precompile target kind)
    if(OLLIVANE_PCH)
        target_precompile_headers(${target} PRIVATE ${OLLIVANE_PCH_${kind}})
    endif()
endfunction()

# ollivane_library(NAME [WIDGETS] [LINKS target...])
# Collects every .cpp/.h below the calling folder into one static library. WIDGETS: it reaches
# Qt Widgets through its links.
function(ollivane_library name)
    cmake_parse_arguments(ARG "WIDGETS" "" "LINKS" ${ARGN})
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    list(FILTER srcs INCLUDE REGEX "\\.(cpp|qrc)$")
    if(srcs)
        file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
            ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
        add_library(${name} STATIC ${srcs})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_LINKS})
        if(ARG_WIDGETS)
            ollivane_precompile(${name} WIDGETS)
        else()
            ollivane_precompile(${name} CORE)
        endif()
    else()
        # A folder whose code has not been written yet still takes its place in the dependency chain.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_LINKS})
    endif()
endfunction()

# ollivane_test_suite(NAME DIR [LINKS target...])
# One GoogleTest executable per test folder; every TEST becomes its own CTest case.
function(ollivane_test_suite name dir)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
    if(NOT srcs)
        return()
    endif()
    add_executable(${name} ${srcs})
    target_link_libraries(${name} PRIVATE ${ARG_LINKS} testsupport GTest::gtest GTest::gmock)
    target_compile_definitions(${name} PRIVATE OLLIVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    ollivane_precompile(${name} TESTS)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
                   TIMEOUT 300)
endfunction()
