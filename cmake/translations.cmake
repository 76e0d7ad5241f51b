# SPDX-License-Identifier: GPL-3.0-or-later
# The English translation's source, translations/yumo_en.ts, against the texts in the code.
#   MODE=update  lupdate writes every marked text into the .ts (new ones unfinished, texts the
#                code no longer has dropped); then translate the unfinished ones with linguist
#                or a text editor.
#   MODE=check   the same on a copy, then lrelease counts: fails when any text is unfinished.
# Variables: LUPDATE, LRELEASE, SOURCE_DIR, TS, WORK (check only).
set(sources gui common audio import voices night display)
# The core marks its texts with YUMO_TEXT (common/ui_text.h); lupdate reads it as QT_TR_NOOP.
set(options -silent -no-obsolete -locations none -extensions cpp,h
    -tr-function-alias QT_TR_NOOP+=YUMO_TEXT -source-language ja -target-language en)

if(MODE STREQUAL "update")
    set(target ${TS})
elseif(MODE STREQUAL "check")
    file(MAKE_DIRECTORY ${WORK})
    set(target ${WORK}/yumo_en.ts)
    file(COPY_FILE ${TS} ${target})
else()
    message(FATAL_ERROR "MODE must be update or check")
endif()

execute_process(COMMAND ${LUPDATE} ${options} ${sources} -ts ${target}
                WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${status}): ${errors}")
endif()
if(MODE STREQUAL "update")
    return()
endif()

execute_process(COMMAND ${LRELEASE} ${target} -qm ${WORK}/yumo_en.qm
                OUTPUT_VARIABLE report ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lrelease failed (${status}): ${errors}")
endif()
# "Generated N translation(s) (F finished and U unfinished)"
string(REGEX MATCH "Generated ([0-9]+) translation\\(s\\) \\(([0-9]+) finished and ([0-9]+) unfinished\\)"
       found "${report}")
if(NOT found)
    message(FATAL_ERROR "no count in lrelease's report: ${report}")
endif()
set(generated ${CMAKE_MATCH_1})
set(unfinished ${CMAKE_MATCH_3})
# A text with no translation at all is not counted above but "ignored".
if(report MATCHES "Ignored ([0-9]+) untranslated source text")
    math(EXPR unfinished "${unfinished} + ${CMAKE_MATCH_1}")
endif()
message(STATUS "${generated} translations, ${unfinished} unfinished")
if(NOT unfinished EQUAL 0 OR generated EQUAL 0)
    message(FATAL_ERROR "${unfinished} texts have no English translation: run "
            "'ninja -C build yumo_update_translations' and translate them in translations/yumo_en.ts")
endif()
