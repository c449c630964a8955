# The installed program in its XDG places, and the Debian package built from it (`make package`).
include(GNUInstallDirs)
set(PLUME_DATA_DIR ${CMAKE_INSTALL_DATADIR}/plume)  # platform/data_files looks in ../share/plume

# The sounds sit beside the program in a build folder, as the chord help does.
file(GLOB_RECURSE plume_sounds CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/resources
     ${CMAKE_SOURCE_DIR}/resources/sounds/*)
foreach(sound IN LISTS plume_sounds)
    configure_file(${CMAKE_SOURCE_DIR}/resources/${sound} ${CMAKE_BINARY_DIR}/${sound} COPYONLY)
endforeach()

# The manual page of plume-cli is made from its own usage texts.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/plume-cli.1
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/gen-cli-man $<TARGET_FILE:plume-cli>
            ${CMAKE_BINARY_DIR}/man/plume-cli.1 ${PROJECT_VERSION}
    DEPENDS plume-cli ${CMAKE_SOURCE_DIR}/scripts/gen-cli-man VERBATIM)
add_custom_target(plume_manual ALL DEPENDS ${CMAKE_BINARY_DIR}/man/plume-cli.1)
# Everything the install takes, for building no more than that (`make install`, CI).
add_custom_target(shipped DEPENDS plume-cli plume_manual)

install(TARGETS plume-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/help/chord.hlp DESTINATION ${PLUME_DATA_DIR})
if(plume_sounds)
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/sounds DESTINATION ${PLUME_DATA_DIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/resources/man/plume.1 ${CMAKE_BINARY_DIR}/man/plume-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/plume-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME plume.xml)

if(PLUME_BUILD_GUI)
    install(TARGETS plume RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/plume.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The icon is drawn from the score's glyphs at build time.
    add_executable(make_icons ${CMAKE_SOURCE_DIR}/tools/make_icons.cpp)
    target_link_libraries(make_icons PRIVATE plume_score Qt6::Gui)
    set(plume_icon_sizes 16 22 24 32 48 64 128 256)
    set(plume_icons)
    foreach(size IN LISTS plume_icon_sizes)
        list(APPEND plume_icons ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/plume.png)
    endforeach()
    add_custom_command(OUTPUT ${plume_icons}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:make_icons>
                ${CMAKE_BINARY_DIR}/icons/hicolor ${plume_icon_sizes}
        DEPENDS make_icons VERBATIM)
    add_custom_target(plume_icons ALL DEPENDS ${plume_icons})
    add_dependencies(shipped plume plume_icons)
    install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plume)
set(CPACK_PACKAGE_VENDOR "Plume")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI song editor with a score, a mixer and MIDI file export")
set(CPACK_PACKAGE_CONTACT "Plume developers <plume@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The libraries come from dpkg-shlibdeps; the data the program reads at run time is listed here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fluid-soundfont-gm | timgm6mb-soundfont, fonts-ipafont-gothic, fonts-ipafont-mincho, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, shared-mime-info, hicolor-icon-theme")
include(CPack)
