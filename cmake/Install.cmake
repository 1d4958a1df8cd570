# Install layout and the Debian package.
#
#   bin/quillmarch, bin/quillmarch-cli
#   share/quillmarch/            WData.csv and the type icons; the program looks
#                                here when nothing lies beside its executable
#   share/applications/, share/metainfo/, share/icons/hicolor/
#   share/doc/quillmarch/README.md   the user guide, which F1 opens
#
# `cpack` in a configured and built tree writes quillmarch_<version>_<arch>.deb.

include(GNUInstallDirs)

set(QUILLMARCH_APP_ID io.github.quillmarch.Quillmarch)
set(QUILLMARCH_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QUILLMARCH_APP_ICON_DIR ${PROJECT_SOURCE_DIR}/data/icons)
set(QUILLMARCH_APP_ICON_SIZES 16 24 32 48 64 128 256)

# The installed programs link only system libraries; a RUNPATH such as
# $ORIGIN/../lib would only add places for the loader to search.
foreach(program quillmarch quillmarch-cli)
    if(TARGET ${program})
        set_target_properties(${program} PROPERTIES INSTALL_RPATH "")
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

install(FILES ${QUILLMARCH_DATA_FILES} ${QUILLMARCH_ICON_FILES}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmarch)
# Named by the package, as Debian keeps a package's documents, rather than by
# the project as CMAKE_INSTALL_DOCDIR would.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmarch)

if(QUILLMARCH_GUI)
    install(FILES ${QUILLMARCH_PACKAGING_DIR}/${QUILLMARCH_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${QUILLMARCH_PACKAGING_DIR}/${QUILLMARCH_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size ${QUILLMARCH_APP_ICON_SIZES})
        install(FILES ${QUILLMARCH_APP_ICON_DIR}/quillmarch-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${QUILLMARCH_APP_ID}.png)
    endforeach()
    install(FILES ${QUILLMARCH_APP_ICON_DIR}/quillmarch.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME ${QUILLMARCH_APP_ID}.svg)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmarch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmarch developers")
set(CPACK_PACKAGE_CONTACT "Quillmarch developers <quillmarch@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "weapon damage and swing speed calculator")
# Debian wants the long description in lines of under 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Works out what a weapon of an online role-playing game does for a\n"
       "character: the damage for every magic accuracy and damage level, the\n"
       "spread of the weapon's dice, the swing delay for every DEX value and a\n"
       "radar chart of speed, damage and steadiness. The user interface is in\n"
       "Japanese. A command-line front end, quillmarch-cli, computes the same\n"
       "figures without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps turns the linked libraries into the Qt dependencies; the fonts
# are not linked, yet without one the Japanese captions show as boxes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
# libqt6gui6 brings the xcb platform plugin; a Wayland session needs its own.
# Qt's own translations word the standard dialogs' buttons in Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
