# What an install adds to the two programs (both land in bin/, as in the build
# tree, so the app finds its relay beside itself), and the Debian package made
# from it with `cpack -G DEB`.
install(FILES ${PROJECT_SOURCE_DIR}/data/app.halvane.Halvane.desktop
    DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/app.halvane.Halvane.metainfo.xml
    DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/hicolor/scalable/apps/app.halvane.Halvane.svg
    DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Halvane)
set(CPACK_PACKAGE_CONTACT "Halvane maintainers <maintainers@halvane.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop companion for Claude Code")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows Claude Code's permission requests, questions and finished tasks in a small panel at \
the top centre of the screen, where they can be approved, denied or always allowed without \
going back to the terminal. Ships the halvane tray application and the halvane-hook relay \
that Claude Code starts for each hook event.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries `halvane` links (the relay is static), Qt's X11 platform
# plugin, and the fonts the panel draws with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libgcc-s1, \
libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6dbus6 (>= 6.4), \
libqt6network6 (>= 6.4), libqt6svg6 (>= 6.4), qt6-qpa-plugins, libicu72, \
libcanberra0, libpulse0, libxdo3, libx11-6, libxcb1, libxcb-keysyms1, libxcb-shape0, libxcb-xfixes0, \
fonts-inter, fonts-jetbrains-mono, fonts-material-design-icons-iconfont")
# Chimes through PulseAudio or PipeWire's pulse server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcanberra-pulse")
include(CPack)
