# A Debian package of what `cmake --install` puts in place:
#   cmake --preset release && cmake --build --preset release
#   (cd build/release && cpack)      # tarnquill_VERSION_amd64.deb
set(CPACK_PACKAGE_NAME tarnquill)
set(CPACK_PACKAGE_VENDOR "Tarnquill")
set(CPACK_PACKAGE_CONTACT "Tarnquill developers <tarnquill@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Rewrites records of Access (.mdb) databases in bulk")
set(CPACK_PACKAGE_DESCRIPTION
    "A small window program and a command-line companion that open Access (.mdb) files with\
 their own engine, list a table's rows and replace a text in one field of every listed row.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
# The window needs a platform plugin and the font its layout was drawn for;
# neither shows up among the linked libraries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-arphic-uming")
find_program(TARNQUILL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARNQUILL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
         ", libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libstdc++6, libc6")
endif()
include(CPack)
