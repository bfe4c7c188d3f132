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
# One moment for every date the build writes (man pages, changelog, file times inside the
# packages): SOURCE_DATE_EPOCH when the caller sets it, else the date of the last commit, else
# the date CMakeLists.txt carries (kept when a source archive is unpacked). Two builds of one
# commit then agree to the byte.
set(KEHRWIX_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(NOT KEHRWIX_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    # "-- ." asks for the last commit touching this tree, so a copy lying untracked inside some
    # other repository does not take that repository's date.
    execute_process(COMMAND git log -1 --format=%ct -- .
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE KEHRWIX_SOURCE_DATE_EPOCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_status)
    if(NOT git_status EQUAL 0 OR NOT KEHRWIX_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
        file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt KEHRWIX_SOURCE_DATE_EPOCH "%s" UTC)
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${KEHRWIX_SOURCE_DATE_EPOCH})
endif()
# string(TIMESTAMP) reads SOURCE_DATE_EPOCH from the environment.
string(TIMESTAMP KEHRWIX_MAN_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP KEHRWIX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
# Packagers name themselves here; the default is the project's placeholder address.
set(KEHRWIX_MAINTAINER "kehrwix developers <kehrwix@example.org>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

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
    # Compressed as Debian ships them: gzip at most, without a name or time in the header.
    find_program(KEHRWIX_GZIP gzip REQUIRED)
    function(kehrwix_gzipped source output)
        configure_file(${source} ${output} @ONLY)
        execute_process(COMMAND ${KEHRWIX_GZIP} -9 -n -f ${output} COMMAND_ERROR_IS_FATAL ANY)
    endfunction()
    kehrwix_gzipped(${KEHRWIX_PACKAGING_DIR}/man/kehrwix.1.in ${KEHRWIX_GENERATED_DIR}/en/kehrwix.1)
    kehrwix_gzipped(${KEHRWIX_PACKAGING_DIR}/man/kehrwix.de.1.in
                    ${KEHRWIX_GENERATED_DIR}/de/kehrwix.1)
    kehrwix_gzipped(${KEHRWIX_PACKAGING_DIR}/debian/changelog.in
                    ${KEHRWIX_GENERATED_DIR}/changelog)

    install(TARGETS kehrwix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped install also drops the compiler's notes, which no one reads at run time.
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                                    --remove-section=.note
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kehrwix\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endif()")
    install(FILES ${KEHRWIX_GENERATED_DIR}/en/kehrwix.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${KEHRWIX_GENERATED_DIR}/de/kehrwix.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/de/man1)
    # The README's links point into docs/, so those files come along; the license is in
    # copyright, the form Debian reads it in.
    install(FILES README.md ${KEHRWIX_GENERATED_DIR}/changelog.gz
                  ${KEHRWIX_PACKAGING_DIR}/debian/copyright
            DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES docs/architecture.md docs/performance.md
            DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
    install(DIRECTORY docs/images DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
    install(FILES ${KEHRWIX_PACKAGING_DIR}/debian/lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kehrwix)
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
set(CPACK_PACKAGE_CONTACT "${KEHRWIX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "empties temporary and cache folders")
# Debian's extended description: lines of at most 80 characters, each indented by CPack.
set(CPACK_PACKAGE_DESCRIPTION
    "kehrwix keeps a list of temporary and cache folders and empties them after a\n"
    "three-second prompt, unless a key at the prompt opens its menu. A console\n"
    "program with German screens, made to sit behind a desktop shortcut.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
# cpack runs apart from this configure step; it is handed the same moment for the file times.
set(CPACK_PROJECT_CONFIG_FILE ${KEHRWIX_GENERATED_DIR}/cpack_dates.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "set(ENV{SOURCE_DATE_EPOCH} ${KEHRWIX_SOURCE_DATE_EPOCH})\n")
include(CPack)
