# What `cmake --install` (and the Debian package, cmake/Package.cmake) puts where, in the XDG
# layout under the prefix:
#   bin/ollivane, bin/ollivane-rip
#   share/ollivane/HKEY_LOCAL_MACHINE.reg             the machine-wide hive (the program finds it
#                                                     as ../share/ollivane from its own folder)
#   share/applications/ollivane.desktop
#   share/metainfo/org.ollivane.Ollivane.metainfo.xml the software centre's entry
#   share/icons/hicolor/<n>x<n>/apps/ollivane.png     n = 16, 24, 32, 48, 64, 128, 256
#   share/man/man1/ollivane.1.gz, ollivane-rip.1.gz   made from the programs' --help
#   share/doc/ollivane/copyright, THIRD-PARTY-NOTICES, changelog.gz
# The build tree gets the same share/ folder, so build/ollivane runs on this machine as installed.
# Included after the targets are defined.

include(GNUInstallDirs)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(OLLIVANE_HOMEPAGE "https://example.org/ollivane" CACHE STRING
    "The project's web address, named in the software centre's entry")
set(OLLIVANE_SCREENSHOT_BASE "${OLLIVANE_HOMEPAGE}/raw/main" CACHE STRING
    "Where the repository's files are served, for the screenshots named in the software centre's entry")

set(OLLIVANE_HIVE ${PROJECT_SOURCE_DIR}/resources/hive/HKEY_LOCAL_MACHINE.reg)
configure_file(${OLLIVANE_HIVE} ${PROJECT_BINARY_DIR}/share/ollivane/HKEY_LOCAL_MACHINE.reg COPYONLY)
set(OLLIVANE_DOC_DIR ${PROJECT_BINARY_DIR}/share/doc/ollivane)
configure_file(${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES ${OLLIVANE_DOC_DIR}/THIRD-PARTY-NOTICES COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/copyright ${OLLIVANE_DOC_DIR}/copyright COPYONLY)
set(OLLIVANE_METAINFO ${PROJECT_BINARY_DIR}/share/metainfo/org.ollivane.Ollivane.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/org.ollivane.Ollivane.metainfo.xml.in ${OLLIVANE_METAINFO}
               @ONLY)

# The icon theme wants PNG; the application icon is drawn as XPM beside the program's other pictures.
set(icon_pngs)
foreach(size 16 24 32 48 64 128 256)
    set(xpm ${PROJECT_SOURCE_DIR}/resources/images/ollivane${size}.xpm)
    set(png ${PROJECT_BINARY_DIR}/share/icons/hicolor/${size}x${size}/apps/ollivane.png)
    add_custom_command(OUTPUT ${png}
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/resources/desktop/xpm_to_png.py ${xpm} ${png}
        DEPENDS ${xpm} ${PROJECT_SOURCE_DIR}/resources/desktop/xpm_to_png.py
        COMMENT "Application icon ${size}x${size} as PNG")
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(ollivane-icons ALL DEPENDS ${icon_pngs})

# The man pages say what the programs' --help says, compressed as man expects them; the changelog
# is the package's (Debian wants one even for a program packaged by its own project).
set(man_pages)
foreach(program ollivane ollivane-rip)
    if(program STREQUAL "ollivane")
        set(summary "copy the tracks of a music CD onto an electronic dictionary's SD card")
    else()
        set(summary "rip an audio CD or CD image to MP3 files in a folder")
    endif()
    set(page ${PROJECT_BINARY_DIR}/share/man/man1/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                sh -c "\"$1\" --help | \"$2\" \"$3\" \"$4\" \"$5\" \"$6\" \"$7\" && gzip -9nf \"$7\""
                sh $<TARGET_FILE:${program}> ${Python3_EXECUTABLE}
                ${PROJECT_SOURCE_DIR}/resources/desktop/help_to_man.py ${program} ${PROJECT_VERSION}
                ${summary} ${page}
        DEPENDS ${program} ${PROJECT_SOURCE_DIR}/resources/desktop/help_to_man.py
        COMMENT "Man page of ${program}"
        VERBATIM)
    list(APPEND man_pages ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_command(OUTPUT ${OLLIVANE_DOC_DIR}/changelog.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/resources/desktop/changelog > ${OLLIVANE_DOC_DIR}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/desktop/changelog
    COMMENT "Package changelog")
add_custom_target(ollivane-docs ALL DEPENDS ${man_pages} ${OLLIVANE_DOC_DIR}/changelog.gz)

install(TARGETS ollivane ollivane-rip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${OLLIVANE_HIVE} DESTINATION ${CMAKE_INSTALL_DATADIR}/ollivane)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/ollivane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${OLLIVANE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${OLLIVANE_DOC_DIR}/copyright ${OLLIVANE_DOC_DIR}/THIRD-PARTY-NOTICES ${OLLIVANE_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ollivane)
