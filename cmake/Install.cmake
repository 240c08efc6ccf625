# What `cmake --install` puts where, in the XDG layout under the prefix:
#   bin/ollivane, bin/ollivane-rip
#   share/ollivane/HKEY_LOCAL_MACHINE.reg             the machine-wide hive (the program finds it
#                                                     as ../share/ollivane from its own folder)
#   share/applications/ollivane.desktop
#   share/icons/hicolor/<n>x<n>/apps/ollivane.png
# The build tree gets the same share/ folder, so build/ollivane runs on this machine as installed.
# Included after the targets are defined.

include(GNUInstallDirs)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(OLLIVANE_HIVE ${PROJECT_SOURCE_DIR}/resources/hive/HKEY_LOCAL_MACHINE.reg)
configure_file(${OLLIVANE_HIVE} ${PROJECT_BINARY_DIR}/share/ollivane/HKEY_LOCAL_MACHINE.reg COPYONLY)

# The icon theme wants PNG; the application icon is drawn as XPM beside the program's other pictures.
set(icon_pngs)
foreach(size 16 32 64)
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

install(TARGETS ollivane ollivane-rip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${OLLIVANE_HIVE} DESTINATION ${CMAKE_INSTALL_DATADIR}/ollivane)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/ollivane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
