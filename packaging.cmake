# Where the program and the files it looks for beside itself go when installed, and the Debian
# package made from that (scripts/package).
#
# The program keeps its own folder, as it expects: the executable, its Samples folder and the
# folder of optional files (x/, for a skin) lie together in lib/tandemo; a link in bin starts it.
set(TANDEMO_PROGRAM_DIR lib/tandemo)
install(TARGETS tandemo RUNTIME DESTINATION ${TANDEMO_PROGRAM_DIR})
file(CREATE_LINK ../${TANDEMO_PROGRAM_DIR}/tandemo ${CMAKE_BINARY_DIR}/tandemo-link SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/tandemo-link DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME tandemo)
# Sample videos, when scripts/make-samples has made them in the build folder.
install(DIRECTORY ${CMAKE_BINARY_DIR}/Samples/ DESTINATION ${TANDEMO_PROGRAM_DIR}/Samples
        FILES_MATCHING PATTERN "*.mp4")
# Screenshots of the program, when scripts/screenshots has made them in the build folder; the
# AppStream metadata names their copies on the maker's site.
install(DIRECTORY ${CMAKE_BINARY_DIR}/screenshots/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tandemo/screenshots
        OPTIONAL FILES_MATCHING PATTERN "*.png")
# The optional-files folder, with the example skin under a name the program does not load: copy
# it to o.cjs to use it.
install(FILES resources/skins/graphite.cjs DESTINATION ${TANDEMO_PROGRAM_DIR}/x)
install(FILES resources/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The changelog (of a package that is its own upstream) and the manual page, compressed.
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
set(manual ${CMAKE_BINARY_DIR}/tandemo.1.gz)
add_custom_command(OUTPUT ${changelog} ${manual}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/resources/debian/changelog > ${changelog}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/resources/debian/tandemo.1 > ${manual}
  DEPENDS resources/debian/changelog resources/debian/tandemo.1)
add_custom_target(debian_documents ALL DEPENDS ${changelog} ${manual})
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tandemo)
set(CPACK_PACKAGE_VENDOR "${TANDEMO_COMPANY}")
set(CPACK_PACKAGE_CONTACT "${TANDEMO_COMPANY} <${TANDEMO_SUPPORT_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two videos side by side, each looping endlessly")
set(CPACK_PACKAGE_DESCRIPTION "${TANDEMO_PRODUCT} plays two video files side by side in one window.
Each side repeats its video without end and has its own play, pause, stop,
seek and volume controls; the two sides can be linked to follow both together.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TANDEMO_HOME_PAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the shared libraries: the font the window's text is measured in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
