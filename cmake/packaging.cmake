# Install rules, Windows resources and packages (CPack). Everything takes its version from
# project(); included once at the end of the top-level CMakeLists.txt.

include(GNUInstallDirs)

set(KEHRWIX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KEHRWIX_COPYRIGHT "Copyright (c) 2026 the kehrwix developers")
set(KEHRWIX_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)
# Windows wants four numbers; project() may give fewer.
set(KEHRWIX_VERSION_PARTS)
foreach(part MAJOR MINOR PATCH TWEAK)
    if(PROJECT_VERSION_${part} STREQUAL "")
        list(APPEND KEHRWIX_VERSION_PARTS 0)
    else()
        list(APPEND KEHRWIX_VERSION_PARTS ${PROJECT_VERSION_${part}})
    endif()
endforeach()
list(JOIN KEHRWIX_VERSION_PARTS "," KEHRWIX_VERSION_QUAD)
list(JOIN KEHRWIX_VERSION_PARTS "." KEHRWIX_VERSION_QUAD_DOTS)
# Honours SOURCE_DATE_EPOCH for reproducible packages.
string(TIMESTAMP KEHRWIX_MAN_DATE "%Y-%m-%d" UTC)

# The README's pictures are drawn through the scripted console of the test suite.
if(KEHRWIX_TESTS AND NOT WIN32)
    add_subdirectory(tools/screens)
endif()

if(WIN32)
    # kehrwix.exe: manifest (long paths, UTF-8, asInvoker, Windows 10/11), version and icon.
    enable_language(RC)
    set(KEHRWIX_MANIFEST ${KEHRWIX_GENERATED_DIR}/kehrwix.manifest)
    set(KEHRWIX_ICON ${KEHRWIX_PACKAGING_DIR}/icons/kehrwix.ico)
    configure_file(${KEHRWIX_PACKAGING_DIR}/windows/kehrwix.manifest.in ${KEHRWIX_MANIFEST} @ONLY)
    configure_file(${KEHRWIX_PACKAGING_DIR}/windows/kehrwix.rc.in
                   ${KEHRWIX_GENERATED_DIR}/kehrwix.rc @ONLY)
    target_sources(kehrwix PRIVATE ${KEHRWIX_GENERATED_DIR}/kehrwix.rc)
    set_property(SOURCE ${KEHRWIX_GENERATED_DIR}/kehrwix.rc APPEND PROPERTY OBJECT_DEPENDS
                 ${KEHRWIX_MANIFEST} ${KEHRWIX_ICON})
    target_link_options(kehrwix PRIVATE -s)

    # The zip: kehrwix.exe with a short German/English read-me in CR LF, and the license.
    configure_file(${KEHRWIX_PACKAGING_DIR}/windows/LIESMICH.txt.in
                   ${KEHRWIX_GENERATED_DIR}/LIESMICH.txt @ONLY NEWLINE_STYLE CRLF)
    configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${KEHRWIX_GENERATED_DIR}/LICENSE.txt
                   COPYONLY)
    install(TARGETS kehrwix RUNTIME DESTINATION .)
    install(FILES ${KEHRWIX_GENERATED_DIR}/LIESMICH.txt ${KEHRWIX_GENERATED_DIR}/LICENSE.txt
            DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME win64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
    configure_file(${KEHRWIX_PACKAGING_DIR}/man/kehrwix.1.in ${KEHRWIX_GENERATED_DIR}/en/kehrwix.1
                   @ONLY)
    configure_file(${KEHRWIX_PACKAGING_DIR}/man/kehrwix.de.1.in
                   ${KEHRWIX_GENERATED_DIR}/de/kehrwix.1 @ONLY)

    install(TARGETS kehrwix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${KEHRWIX_GENERATED_DIR}/en/kehrwix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${KEHRWIX_GENERATED_DIR}/de/kehrwix.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/de/man1)
    install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(DIRECTORY docs/images DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs OPTIONAL)
    install(FILES ${KEHRWIX_PACKAGING_DIR}/kehrwix.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${KEHRWIX_PACKAGING_DIR}/icons/kehrwix.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)

    set(CPACK_GENERATOR DEB TGZ)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    # dpkg-shlibdeps names the runtime libraries the binary really links (libncursesw, libc, ...).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

set(CPACK_PACKAGE_NAME kehrwix)
set(CPACK_PACKAGE_VENDOR "the kehrwix developers")
set(CPACK_PACKAGE_CONTACT "kehrwix developers <kehrwix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "empties temporary and cache folders")
set(CPACK_PACKAGE_DESCRIPTION
    "kehrwix keeps a list of temporary and cache folders and empties them, after a three-second\nprompt that opens its menu. A console program with German screens, made to sit behind a\ndesktop shortcut.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
