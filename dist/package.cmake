# `cpack -G DEB` in the build folder makes marlinote_VERSION_ARCH.deb of what `cmake --install`
# installs. The shared libraries bring their own dependencies (dpkg-shlibdeps); the rest are
# loaded at run time and named here: the font standing in for the window's Japanese font,
# Qt's Japanese translation, Qt's window system plugins and its SVG plugins, which draw the
# window's icon.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marlinote)
set(CPACK_PACKAGE_VENDOR "The Marlinote developers")
set(CPACK_PACKAGE_CONTACT "The Marlinote developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the tags of audio files, with a Japanese interface")
set(CPACK_PACKAGE_DESCRIPTION
  "Marlinote edits the tags of audio files: ID3v1.1 trailers, APE tags and Ogg Vorbis
comments, of one file or of many files at once. It lists folders of audio files with
their tags, changes the kind of tag, and exports the list as a CSV file. Tag texts are
code page 932 (Shift-JIS), and a tag the user did not change keeps every byte.
.
The window (marlinote) has a Japanese interface; marlinote-cli does the same work from
the command line, for scripts and batch work.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "fonts-ipafont-gothic, qt6-translations-l10n, qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
