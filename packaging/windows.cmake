# The Windows installer (NSIS) and the portable zip, made from the mingw-w64
# build. Both hold the programs at the top of their folder and a short readme.
# The readme names the programs there are, with Windows line ends.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/README.txt)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/README.txt readme)
set(window_line "")
if(TARGET quenlo)
    string(CONCAT window_line
        "quenlo.exe      the window: Select... chooses a project file, Fix repairs it.\n"
        "                A file dropped on quenlo.exe or on its window is chosen\n"
        "                as if with Select...; quenlo.exe --help tells more.\n\n")
endif()
string(REPLACE "@QUENLO_ZIP_PROGRAMS@\n" "${window_line}" readme "${readme}")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/README.txt CONTENT "${readme}" @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_FILE_NAME quenlo-${QUENLO_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quenlo)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Quenlo)

# A 64-bit installer: the default 32-bit stub needs a machine that runs i386
# code. It installs under the 64-bit Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Quenlo)
set(CPACK_NSIS_DISPLAY_NAME "Quenlo ${QUENLO_VERSION}")
set(CPACK_NSIS_MUI_ICON ${QUENLO_ICON_DIR}/quenlo.ico)
set(CPACK_NSIS_MUI_UNIICON ${QUENLO_ICON_DIR}/quenlo.ico)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
# The installer's script is our own (NSIS.template.in, found on this path):
# it waits for the programs to be closed, offers the PATH, and makes no
# Uninstall shortcut. Both Windows packages hold every install component.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR})
set(CPACK_MONOLITHIC_INSTALL ON)
if(TARGET quenlo)
    # Start menu: Quenlo\Quenlo.lnk, and the icon in Apps & features.
    set(CPACK_PACKAGE_EXECUTABLES quenlo Quenlo)
    set(CPACK_NSIS_INSTALLED_ICON_NAME quenlo.exe)
    # quenlo.exe under "Open with" for .PRJ files.
    set(CPACK_QUENLO_OPEN_WITH ON)
else()
    set(CPACK_QUENLO_OPEN_WITH OFF)
    set(CPACK_NSIS_INSTALLED_ICON_NAME quenlo-fix.exe)
endif()

# What the zip must hold, for the package checks.
set(zip_files README.txt quenlo-fix.exe)
if(TARGET quenlo)
    list(APPEND zip_files quenlo.exe)
endif()
list(SORT zip_files)
list(TRANSFORM zip_files PREPEND "${CPACK_PACKAGE_FILE_NAME}/")
list(JOIN zip_files "\n" zip_files)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packages-expected/zip-contents.txt CONTENT "${zip_files}\n")
