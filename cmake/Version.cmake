# The program's version, worked out again at every build (cmake/WriteVersion.cmake): compiled into
# the resources library and written to version.txt in the build tree, where the package reads it.
# Included after the resources target is defined.

set(OLLIVANE_VERSION_CPP ${PROJECT_BINARY_DIR}/generated/ProgramVersion.cpp)
add_custom_target(ollivane-version
    BYPRODUCTS ${OLLIVANE_VERSION_CPP} ${PROJECT_BINARY_DIR}/version.txt
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBINARY_DIR=${PROJECT_BINARY_DIR}
            -DBASE_VERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/WriteVersion.cmake
    COMMENT "Program version"
    VERBATIM)
# The first configure writes it too, so the file exists before anything compiles it.
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBINARY_DIR=${PROJECT_BINARY_DIR}
                        -DBASE_VERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/WriteVersion.cmake)
target_sources(resources PRIVATE ${OLLIVANE_VERSION_CPP})
add_dependencies(resources ollivane-version)
