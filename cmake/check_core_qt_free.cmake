# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a core source includes a Qt header. Run at build time by the yumo_core_qt_free
# target with -DCORE_DIRS=common,audio,... -DSOURCE_DIR=... -DSTAMP=...
string(REPLACE "," ";" CORE_DIRS "${CORE_DIRS}")
set(offenders "")
foreach(dir ${CORE_DIRS})
    file(GLOB_RECURSE sources ${SOURCE_DIR}/${dir}/*.cpp ${SOURCE_DIR}/${dir}/*.h)
    foreach(source ${sources})
        file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt[A-Za-z]*/|Qt[A-Za-z]*/)")
        if(lines)
            list(APPEND offenders "${source}: ${lines}")
        endif()
    endforeach()
endforeach()
if(offenders)
    list(JOIN offenders "\n  " text)
    message(FATAL_ERROR "The core must not use Qt; these files include Qt headers:\n  ${text}")
endif()
file(TOUCH ${STAMP})
