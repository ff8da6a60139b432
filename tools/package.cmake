# The Debian package: `cmake --build build --target package` makes
# build/pellworks_<version>_<arch>.deb from what `cmake --install` installs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellworks)
set(CPACK_PACKAGE_VENDOR "The Pellworks developers")
set(CPACK_PACKAGE_CONTACT "The Pellworks developers <developers@pellworks.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "children write scripts that make characters perform")
# The extended description; CPack puts the summary above it as the synopsis.
set(CPACK_PACKAGE_DESCRIPTION "With Pellworks, children from five years up write small scripts
that make friendly animated characters perform on the desktop: speak in a
balloon with a real voice, wave, walk, jump, grow, play and record sounds,
and wait for a key, a spoken word, a bump or a clock time.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pellworks.org/")
# Libraries come from the binaries themselves; the data and plugins they load at run
# time (voices, the speech model, pictures, sound) are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "espeak-ng-data, pocketsphinx-en-us, libqt6svg6, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
