# Helpers shared by every folder: one library target per folder, one test executable per test folder.

# ollivane_library(NAME [QT Core|Gui|Widgets...] [LINKS target...])
# Collects every .cpp/.h below the calling folder into one static library.
function(ollivane_library name)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    list(FILTER srcs INCLUDE REGEX "\\.(cpp|qrc)$")
    if(srcs)
        file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
            ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
        add_library(${name} STATIC ${srcs})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_LINKS})
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
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
                   TIMEOUT 300)
endfunction()
