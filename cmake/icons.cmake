# The program's icon in its programs. The icons/ folder makes the files.

# quenlo_windows_icon(TARGET): on Windows, gives the target's .exe the
# program's icon as its first icon resource (ID 1), which Explorer, the
# task bar and the window's title bar show. Needs the quenlo_icons target.
# A second call for the same target does nothing.
function(quenlo_windows_icon target)
    get_target_property(done ${target} QUENLO_WINDOWS_ICON)
    if(NOT WIN32 OR done)
        return()
    endif()
    set_target_properties(${target} PROPERTIES QUENLO_WINDOWS_ICON ON)
    set(ico ${QUENLO_ICON_DIR}/quenlo.ico)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-icon.rc)
    file(CONFIGURE OUTPUT ${rc} CONTENT "1 ICON \"${ico}\"\n")
    target_sources(${target} PRIVATE ${rc})
    # The resource is compiled again whenever the icon changes.
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${ico})
    add_dependencies(${target} quenlo_icons)
endfunction()

# quenlo_qt_icons(TARGET): compiles the icon's PNGs into the Qt target as the
# resources :/icons/quenlo-N.png (N = each of QUENLO_ICON_SIZES).
function(quenlo_qt_icons target)
    qt_add_resources(sources ${QUENLO_ICONS_QRC})
    target_sources(${target} PRIVATE ${sources})
    add_dependencies(${target} quenlo_icons)
endfunction()
