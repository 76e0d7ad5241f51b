# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` and the Debian package (cpack -G DEB):
#   bin/yumo, bin/yumo-tool, libexec/yumo/yumo-plot (the night's picture, run by yumo-tool)
#   share/yumo/           the data made at set-up (scripts/setup.sh), read-only: the response
#                         set, the filter set when there is one, the default voice and the
#                         companion (her compiled character-data file and animation script; the
#                         picture lists stay behind, so nothing is rebuilt into this folder)
#   share/applications/org.yumo.Yumo.desktop, share/metainfo/org.yumo.yumo.metainfo.xml
#   share/icons/hicolor/<size>/apps/org.yumo.Yumo.{png,svg}
#   share/man/man1/yumo.1.gz, yumo-tool.1.gz
#   share/doc/yumo/copyright  the licences of the code and of the data (Debian's format)
# Yumo has no web site or mail address of its own: a packager who has them passes them in, and
# what is not given is left out of the metainfo and the package.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/metainfo.cmake)

set(YUMO_HOMEPAGE "" CACHE STRING "The project's home page, when it has one (AppStream, package)")
set(YUMO_SCREENSHOT_BASE "" CACHE STRING
    "Where packaging/screenshots/*.png are published (default: YUMO_HOMEPAGE/screenshots)")
set(YUMO_MAINTAINER "The Yumo developers" CACHE STRING
    "The Debian package's maintainer, \"Name <address>\" when there is an address")
# A build folder configured earlier keeps the made-up address these once defaulted to: drop it.
foreach(address YUMO_HOMEPAGE YUMO_SCREENSHOT_BASE)
    if(${address} MATCHES "yumo\\.example\\.org")
        message(STATUS "${address}: dropping the made-up ${${address}}")
        set(${address} "" CACHE STRING "" FORCE)
    endif()
endforeach()

install(TARGETS yumo-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(yumo_data ${CMAKE_BINARY_DIR}/data)
install(CODE "
    if(NOT EXISTS \"${yumo_data}/hrtf/head01.bir\" OR NOT EXISTS \"${yumo_data}/ymv/Yumone.ymv\")
        message(FATAL_ERROR \"${yumo_data} lacks the default data: run scripts/setup.sh first\")
    endif()")
install(DIRECTORY ${yumo_data}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/yumo
        FILE_PERMISSIONS OWNER_READ GROUP_READ WORLD_READ
        DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                              WORLD_READ WORLD_EXECUTE
        PATTERN "Image.txt" EXCLUDE
        PATTERN "Mask.txt" EXCLUDE
        PATTERN "*.png" EXCLUDE
        PATTERN "*.jpg" EXCLUDE
        PATTERN "*.bmp" EXCLUDE
        PATTERN "*.gif" EXCLUDE
        PATTERN "head_out.bir" EXCLUDE
        PATTERN "filter_out.bir" EXCLUDE)

# Where Debian looks for a package's licences; the name is the package's, whatever the prefix.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/yumo)

# Manual pages, compressed as Debian wants them.
find_program(GZIP gzip REQUIRED)
foreach(page yumo yumo-tool)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/${page}.1 > ${CMAKE_BINARY_DIR}/man/${page}.1.gz
        DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${page}.1 VERBATIM)
    list(APPEND yumo_man_pages ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(yumo_man_pages ALL DEPENDS ${yumo_man_pages})
install(FILES ${yumo_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(YUMO_GUI)
    install(TARGETS yumo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # Run by yumo-tool (plot, night --plot), which looks for it beside itself, then here.
    install(TARGETS yumo-plot RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/yumo)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/org.yumo.Yumo.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${CMAKE_SOURCE_DIR}/packaging/org.yumo.yumo.metainfo.xml.in)
    yumo_write_metainfo(${CMAKE_SOURCE_DIR}/packaging/org.yumo.yumo.metainfo.xml.in
                        ${CMAKE_BINARY_DIR}/org.yumo.yumo.metainfo.xml ${PROJECT_VERSION}
                        "${YUMO_HOMEPAGE}" "${YUMO_SCREENSHOT_BASE}")
    install(FILES ${CMAKE_BINARY_DIR}/org.yumo.yumo.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size 16 24 32 48 64 128 256)
        install(FILES ${CMAKE_SOURCE_DIR}/gui/resources/yumo_icon_${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME org.yumo.Yumo.png)
    endforeach()
    install(FILES ${CMAKE_SOURCE_DIR}/gui/resources/yumo_icon.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME org.yumo.Yumo.svg)
endif()

# The Debian package. dpkg-shlibdeps finds the libraries the programs link; the rest is what
# they load at run time: Qt's platform plugins, the panes' font, Qt's Japanese texts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME yumo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${YUMO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sleep companion heard around your head in headphones")
set(CPACK_PACKAGE_DESCRIPTION "Yumo plays a night beside a sleeping companion: she says good
night, breathes, snores, mumbles, talks in her sleep and wakes you in the morning, each clip
rendered binaurally so that in headphones her voice comes from beside your head. Japanese
interface, English on request; yumo-tool converts the data files and renders nights offline.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
if(NOT YUMO_HOMEPAGE STREQUAL "")
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${YUMO_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-wayland")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
