# The Windows installer (NSIS) and the portable zip, made from the mingw-w64
# build. Both hold the programs at the top of their folder, a short readme
# and the full reference of quenlo-fix.exe as a web page.
# The readme names the programs there are, with Windows line ends; the zip's
# speaks of a folder to unpack anywhere, the installer's (put in place by
# NSIS.template.in) of the installed program.
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
set(QUENLO_README_TITLE "Quenlo 1.00 (portable)\n======================")
set(QUENLO_README_SETUP [[
Nothing to install: unpack this folder anywhere and run the programs from
it. To remove Quenlo, delete the folder.]])
set(QUENLO_README_OTHER [[

The installer (quenlo-1.00-win64.exe) installs the same programs under
Program Files, with a Start-menu shortcut and an uninstaller, and can put
them on the PATH.
]])
string(CONFIGURE "${readme}" text @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/README.txt CONTENT "${text}" @ONLY NEWLINE_STYLE CRLF)
set(QUENLO_README_TITLE "Quenlo 1.00\n===========")
set(QUENLO_README_SETUP [[
Installed in this folder by quenlo-1.00-win64.exe. Quenlo is in the Start
menu, and Explorer offers it under "Open with" for .PRJ files. To remove it,
uninstall "Quenlo 1.00" in Settings > Apps (Apps & features). Installing
again, into this folder or another, replaces this installation: there is
only ever one.

If "Add to the PATH" was chosen when installing, quenlo-fix.exe runs by its
name in any command prompt opened since: every user's, when installed under
Program Files, otherwise only the installing user's. Else type its full
path, as in "C:\Program Files\Quenlo\quenlo-fix.exe" *.PRJ.]])
set(QUENLO_README_OTHER "")
string(CONFIGURE "${readme}" text @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/installed/README.txt CONTENT "${text}" @ONLY NEWLINE_STYLE CRLF)
set(CPACK_QUENLO_INSTALLED_README ${CMAKE_CURRENT_BINARY_DIR}/installed/README.txt)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

# The full reference for Windows users: the manual page of quenlo-fix as a
# web page, made from the same scdoc source as the installed man page.
find_program(QUENLO_SCDOC scdoc REQUIRED)
find_program(QUENLO_MANDOC mandoc REQUIRED)
set(reference ${CMAKE_CURRENT_BINARY_DIR}/quenlo-fix.html)
add_custom_command(OUTPUT ${reference}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/manpage.sh ${QUENLO_SCDOC} ${CMAKE_CURRENT_SOURCE_DIR}/quenlo-fix.1.scd
            ${reference} ${QUENLO_MANDOC} -man -Thtml
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/quenlo-fix.1.scd ${CMAKE_CURRENT_SOURCE_DIR}/manpage.sh
    COMMENT "Making the reference quenlo-fix.html"
    VERBATIM)
add_custom_target(quenlo_windows_reference ALL DEPENDS ${reference})
install(FILES ${reference} DESTINATION .)

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
set(zip_files README.txt quenlo-fix.exe quenlo-fix.html)
if(TARGET quenlo)
    list(APPEND zip_files quenlo.exe)
endif()
list(SORT zip_files)
list(TRANSFORM zip_files PREPEND "${CPACK_PACKAGE_FILE_NAME}/")
list(JOIN zip_files "\n" zip_files)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packages-expected/zip-contents.txt CONTENT "${zip_files}\n")
