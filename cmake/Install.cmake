# Installation and the Debian package.
#   cmake --install <build> [--prefix <dir>]    the program, its examples and desktop files
#   cpack -G DEB (in <build>)                   kw-switch_<version>-<release>_<arch>.deb
# The program reads its configuration from the folder it starts in and writes nothing, so
# the desktop entry starts it, through the launcher kw_switch-demo, in the installed
# random series.

if(NOT KW_BUILD_UI)
    return()
endif()

include(GNUInstallDirs)

set(KW_EXAMPLES_DIR ${CMAKE_INSTALL_DATADIR}/kw_switch/examples)

install(TARGETS kw_switch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/serie_imposee
                  ${PROJECT_SOURCE_DIR}/examples/serie_aleatoire
        DESTINATION ${KW_EXAMPLES_DIR})
# The teacher's notes (files, keys, exercise format), under the Debian package's name.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kw-switch)

# The launcher finds the examples from its own place, so a relocated tree still works.
file(RELATIVE_PATH KW_EXAMPLES_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${KW_EXAMPLES_DIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/kw_switch-demo.in
               ${PROJECT_BINARY_DIR}/packaging/kw_switch-demo @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/kw_switch-demo
        DESTINATION ${CMAKE_INSTALL_BINDIR})

# Exec= and Path= want absolute paths, and the prefix is known only when installing
# (--prefix, or the package's /usr under CPack): the entry is written then.
set(KW_DESKTOP_FILE ${PROJECT_BINARY_DIR}/packaging/kw_switch.desktop)
install(CODE "
    set(KW_DEMO_COMMAND \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kw_switch-demo\")
    set(KW_DEMO_FOLDER \"\${CMAKE_INSTALL_PREFIX}/${KW_EXAMPLES_DIR}/serie_aleatoire\")
    configure_file(\"${PROJECT_SOURCE_DIR}/packaging/kw_switch.desktop.in\"
                   \"${KW_DESKTOP_FILE}\" @ONLY)
")
install(FILES ${KW_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kw_switch.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

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

# Debian package. Package names may not hold "_": the package is kw-switch.
set(KW_PACKAGE_MAINTAINER "kw_switch <kw_switch@localhost>"
    CACHE STRING "Maintainer field of the Debian package: Name <address>")
set(CPACK_PACKAGE_NAME kw-switch)
set(CPACK_PACKAGE_VENDOR "kw_switch")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KW_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Ethernet switch exercises / exercices sur le commutateur Ethernet")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
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
Wrong answers are reported and counted. The menu entry starts the program
on the installed random series; kw_switch-demo serie_imposee starts the
imposed one.
.
Programme d'exercices sur la commutation Ethernet : l'étudiant joue à la
main le rôle de chaque élément d'un petit réseau (stations, deux hubs et un
switch) pour une trame : adresses MAC de la trame, LED des hubs et du
switch, table d'adresses du switch, copie par la station réceptrice. Chaque
erreur est signalée et comptée. L'entrée du menu lance le programme sur la
série aléatoire installée ; kw_switch-demo serie_imposee lance la série
imposée.")

include(CPack)
