# Installation and the Debian package.
#   cmake --install <build> [--prefix <dir>]    the program, its examples, desktop files, manuals
#   cpack -G DEB (in <build>)                   kw-switch_<version>-<release>_<arch>.deb
# The program reads a series from the folder named on its command line, or else from the
# folder it starts in. The desktop entry starts it in the installed random series, or on
# the kw_switch.INI file the file manager hands it.

if(NOT KW_BUILD_UI)
    return()
endif()

include(GNUInstallDirs)

set(KW_SERIES_MIME_TYPE application/x-kw-switch-series)
set(KW_EXAMPLES_DIR ${CMAKE_INSTALL_DATADIR}/kw_switch/examples)
# Under the Debian package's name, which may not hold "_".
set(KW_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kw-switch)

install(TARGETS kw_switch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/serie_imposee
                  ${PROJECT_SOURCE_DIR}/examples/serie_aleatoire
        DESTINATION ${KW_EXAMPLES_DIR})

# The launcher finds the examples from its own place, so a relocated tree still works.
file(RELATIVE_PATH KW_EXAMPLES_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${KW_EXAMPLES_DIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/kw_switch-demo.in
               ${PROJECT_BINARY_DIR}/packaging/kw_switch-demo @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/kw_switch-demo
        DESTINATION ${CMAKE_INSTALL_BINDIR})

# Exec= and Path= want absolute paths, and the prefix is known only when installing
# (--prefix, or the package's /usr under CPack): the entry is written then, in a folder of
# its own for each destination, so that two installs at once do not mix their entries.
# Without a file the program starts in Path, the random series; with one (%f), on the
# series of that file.
install(CODE "
    set(KW_PROGRAM_COMMAND \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kw_switch\")
    set(KW_DEMO_FOLDER \"\${CMAKE_INSTALL_PREFIX}/${KW_EXAMPLES_DIR}/serie_aleatoire\")
    set(KW_SERIES_MIME_TYPE \"${KW_SERIES_MIME_TYPE}\")
    string(MD5 kw_destination \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    set(kw_entry \"${PROJECT_BINARY_DIR}/packaging/desktop/\${kw_destination}/${KW_APP_ID}.desktop\")
    configure_file(\"${PROJECT_SOURCE_DIR}/packaging/kw_switch.desktop.in\" \"\${kw_entry}\" @ONLY)
    file(INSTALL \"\${kw_entry}\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")
configure_file(${PROJECT_SOURCE_DIR}/packaging/kw_switch.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${KW_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${KW_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The package's triggers rebuild the MIME database; after "cmake --install" into a home
# folder: update-mime-database ~/.local/share/mime.
configure_file(${PROJECT_SOURCE_DIR}/packaging/kw_switch-series.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${KW_APP_ID}.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${KW_APP_ID}.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# Icons at the usual hicolor sizes, shrunk at build time from the smallest drawn picture
# at least as large (64 and 128 pixels are the drawn ones, copied as they are).
add_executable(kw_iconscale ${PROJECT_SOURCE_DIR}/packaging/iconscale.cpp)
target_link_libraries(kw_iconscale PRIVATE Qt6::Gui)
set(KW_ICONS)
foreach(size 16 22 24 32 48 64 128)
    if(size LESS_EQUAL 64)
        set(source ${PROJECT_SOURCE_DIR}/assets/kw_switch.png)
    else()
        set(source ${PROJECT_SOURCE_DIR}/assets/kw_switch@2x.png)
    endif()
    set(icon ${PROJECT_BINARY_DIR}/packaging/icons/${size}x${size}/kw_switch.png)
    add_custom_command(OUTPUT ${icon}
                       COMMAND kw_iconscale ${source} ${size} ${icon}
                       DEPENDS kw_iconscale ${source}
                       COMMENT "Icon ${size}x${size}" VERBATIM)
    list(APPEND KW_ICONS ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(kw_icons ALL DEPENDS ${KW_ICONS})

# Debian package. Package names may not hold "_": the package is kw-switch. The default
# maintainer is a placeholder on a reserved domain; whoever hands the package out sets
# their own name and address.
set(KW_PACKAGE_MAINTAINER "kw_switch packager <kw-switch-packager@example.org>"
    CACHE STRING "Maintainer field of the Debian package: Name <address>")
if(KW_PACKAGE_MAINTAINER STREQUAL "kw_switch <kw_switch@localhost>")
    # The former default, kept by older build trees: not an address anyone can write to.
    set_property(CACHE KW_PACKAGE_MAINTAINER PROPERTY VALUE
                 "kw_switch packager <kw-switch-packager@example.org>")
endif()
set(KW_PACKAGE_RELEASE 1)
set(KW_PACKAGE_FULL_VERSION ${PROJECT_VERSION}-${KW_PACKAGE_RELEASE})

# Manual pages and the Debian changelog, compressed as Debian wants them (gzip -9n: no
# name or time stamp, so the same sources give the same bytes).
set(KW_COMPRESSED_DOCS)
function(kw_gzip source output)
    get_filename_component(copy ${output} NAME_WLE)
    get_filename_component(dir ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dir}/${copy}
                       COMMAND gzip -9nf ${dir}/${copy}
                       DEPENDS ${source} VERBATIM)
    set(KW_COMPRESSED_DOCS ${KW_COMPRESSED_DOCS} ${output} PARENT_SCOPE)
endfunction()
foreach(command kw_switch kw_switch-demo)
    kw_gzip(${PROJECT_SOURCE_DIR}/packaging/man/${command}.1
            ${PROJECT_BINARY_DIR}/packaging/man/man1/${command}.1.gz)
    kw_gzip(${PROJECT_SOURCE_DIR}/packaging/man/fr/${command}.1
            ${PROJECT_BINARY_DIR}/packaging/man/fr/man1/${command}.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/man/man1/${command}.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/man/fr/man1/${command}.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in
               ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
kw_gzip(${PROJECT_BINARY_DIR}/packaging/changelog.Debian
        ${PROJECT_BINARY_DIR}/packaging/doc/changelog.Debian.gz)
add_custom_target(kw_docs ALL DEPENDS ${KW_COMPRESSED_DOCS})

# The teacher's notes (files, keys, exercise format), the licence and the history.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${PROJECT_BINARY_DIR}/packaging/doc/changelog.Debian.gz
        DESTINATION ${KW_DOC_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian/kw-switch
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(CPACK_PACKAGE_NAME kw-switch)
set(CPACK_PACKAGE_VENDOR "kw_switch")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KW_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Ethernet switch exercises / exercices sur le commutateur Ethernet")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KW_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KW_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from dpkg-shlibdeps (the X11 platform plugin ships with
# libqt6gui6). The windows were laid out for Liberation Sans. Wayland sessions run the
# program through XWayland, where it can place its windows; qt6-wayland is only the
# fallback without XWayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
# The synopsis is the summary above; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A teaching program, in French, on Ethernet switching: the student plays out
by hand what each device of a small network (stations, two hubs and a
learning switch) does with one frame: MAC addresses of the frame, hub and
switch LEDs, the switch's address table, copy at the receiving station.
Wrong answers are reported and counted. A double-click on a series'
kw_switch.INI starts that series; the menu entry starts the installed
random series.
.
Programme d'exercices sur la commutation Ethernet : l'étudiant joue à la
main le rôle de chaque élément d'un petit réseau (stations, deux hubs et un
switch) pour une trame : adresses MAC de la trame, LED des hubs et du
switch, table d'adresses du switch, copie par la station réceptrice. Chaque
erreur est signalée et comptée. Un double clic sur le fichier kw_switch.INI
d'une série lance cette série ; l'entrée du menu lance la série aléatoire
installée.")

include(CPack)
