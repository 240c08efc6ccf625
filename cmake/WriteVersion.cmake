# Run at every build (cmake -P): works out the program's version from the project's version and
# the git checkout, and writes it where the program and the package read it, touching the files
# only when the version changed.
#   -DSOURCE_DIR=... -DBINARY_DIR=... -DBASE_VERSION=0.1
# The version is BASE_VERSION alone outside a git checkout; in one it is
# BASE_VERSION+git<commits>.g<hash>, and ".dirty" is added when the tree has changes that are not
# committed (untracked files included), so such a build never passes for the commit's own.

set(version "${BASE_VERSION}")
find_program(GIT git)
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
    execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-parse --short=8 HEAD
                    OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE hash_result ERROR_QUIET)
    execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-list --count HEAD
                    OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" status --porcelain
                    OUTPUT_VARIABLE changes RESULT_VARIABLE status_result ERROR_QUIET)
    if(hash_result EQUAL 0 AND hash)
        set(version "${BASE_VERSION}+git${count}.g${hash}")
        # A status that cannot be read counts as changes: better a needless mark than a false claim.
        if(NOT status_result EQUAL 0 OR NOT changes STREQUAL "")
            string(APPEND version ".dirty")
        endif()
    endif()
endif()

set(OLLIVANE_VERSION "${version}")
configure_file("${SOURCE_DIR}/cmake/ProgramVersion.cpp.in" "${BINARY_DIR}/generated/ProgramVersion.cpp" @ONLY)
configure_file("${SOURCE_DIR}/cmake/version.txt.in" "${BINARY_DIR}/version.txt" @ONLY)
