# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the AppStream metainfo from packaging/org.yumo.yumo.metainfo.xml.in. The home page and
# the screenshots are written only when their addresses are given: Yumo has no web site of its
# own, and a packager who publishes one passes it in (-DYUMO_HOMEPAGE=...).
#   include():  yumo_write_metainfo(TEMPLATE OUT VERSION HOMEPAGE SCREENSHOT_BASE)
#   script:     cmake -DTEMPLATE=... -DOUT=... -DVERSION=... [-DHOMEPAGE=...]
#                     [-DSCREENSHOT_BASE=...] -P cmake/metainfo.cmake
# SCREENSHOT_BASE defaults to HOMEPAGE/screenshots; the pictures are packaging/screenshots/.
# The developer is written in the form the system's AppStream knows: <developer id=...> from
# AppStream 1.0 on (Debian 13), which calls <developer_name> deprecated, and <developer_name>
# before it (Debian 12), whose validator does not know <developer>. Without appstreamcli, the
# form of 1.0.

function(yumo_xml_escape out text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(yumo_metainfo_developer out)
    set(name "The Yumo developers")
    find_program(YUMO_APPSTREAMCLI appstreamcli)
    set(version "")
    if(YUMO_APPSTREAMCLI)
        execute_process(COMMAND ${YUMO_APPSTREAMCLI} --version OUTPUT_VARIABLE said
                        ERROR_QUIET RESULT_VARIABLE status)
        if(status EQUAL 0 AND said MATCHES "version: ([0-9]+(\\.[0-9]+)*)")
            set(version "${CMAKE_MATCH_1}")
        endif()
    endif()
    if(NOT version STREQUAL "" AND version VERSION_LESS 1.0)
        set(${out} "  <developer_name>${name}</developer_name>" PARENT_SCOPE)
    else()
        set(${out} "  <developer id=\"org.yumo\">\n    <name>${name}</name>\n  </developer>"
            PARENT_SCOPE)
    endif()
endfunction()

function(yumo_write_metainfo template out version homepage screenshot_base)
    set(PROJECT_VERSION "${version}")
    yumo_metainfo_developer(YUMO_METAINFO_DEVELOPER)
    set(YUMO_METAINFO_HOMEPAGE "")
    set(YUMO_METAINFO_SCREENSHOTS "")
    if(NOT screenshot_base STREQUAL "")
        set(base "${screenshot_base}")
    elseif(NOT homepage STREQUAL "")
        set(base "${homepage}/screenshots")
    endif()
    if(NOT homepage STREQUAL "")
        yumo_xml_escape(homepage "${homepage}")
        set(YUMO_METAINFO_HOMEPAGE "  <url type=\"homepage\">${homepage}</url>")
    endif()
    if(DEFINED base)
        yumo_xml_escape(base "${base}")
        string(CONCAT YUMO_METAINFO_SCREENSHOTS
            "  <screenshots>\n"
            "    <screenshot type=\"default\">\n"
            "      <caption>A night with Yumo</caption>\n"
            "      <caption xml:lang=\"ja\">Yumo と過ごす夜</caption>\n"
            "      <image>${base}/yumo-ja.png</image>\n"
            "    </screenshot>\n"
            "    <screenshot>\n"
            "      <caption>The window in English</caption>\n"
            "      <caption xml:lang=\"ja\">英語表示のウィンドウ</caption>\n"
            "      <image>${base}/yumo-en.png</image>\n"
            "    </screenshot>\n"
            "  </screenshots>")
    endif()
    file(READ "${template}" text)
    string(CONFIGURE "${text}" text @ONLY)
    # A part left out leaves no empty line behind.
    string(REGEX REPLACE "\n([ ]*\n)+" "\n" text "${text}")
    # Rewritten only when it changed, so nothing that depends on it is redone.
    file(WRITE "${out}.new" "${text}")
    configure_file("${out}.new" "${out}" COPYONLY)
    file(REMOVE "${out}.new")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    foreach(required TEMPLATE OUT VERSION)
        if(NOT DEFINED ${required})
            message(FATAL_ERROR "metainfo.cmake needs -D${required}=...")
        endif()
    endforeach()
    yumo_write_metainfo("${TEMPLATE}" "${OUT}" "${VERSION}" "${HOMEPAGE}" "${SCREENSHOT_BASE}")
endif()
