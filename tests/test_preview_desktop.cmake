# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# Installs the desktop entry and icons into a scratch home folder with
# scripts/install-desktop.sh and checks what a desktop would read.
# -DSOURCE_DIR=<checkout> -DWORK=<scratch folder>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/home")
set(program "${WORK}/app folder/trovexa")
file(WRITE "${program}" "")

execute_process(
    COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK}/home --unset=XDG_DATA_HOME
        bash ${SOURCE_DIR}/scripts/install-desktop.sh ${program}
    RESULT_VARIABLE result
    ERROR_VARIABLE messages)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install-desktop.sh failed (${result}): ${messages}")
endif()

set(share "${WORK}/home/.local/share")
set(entry "${share}/applications/trovexa-flv-converter.desktop")
foreach(file IN ITEMS "${entry}"
        "${share}/icons/hicolor/scalable/apps/trovexa-flv-converter.svg"
        "${share}/icons/hicolor/48x48/apps/trovexa-flv-converter.png"
        "${share}/icons/hicolor/256x256/apps/trovexa-flv-converter.png")
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "not installed: ${file}\n${messages}")
    endif()
endforeach()

file(STRINGS "${entry}" lines)
set(expected
    "[Desktop Entry]"
    "Type=Application"
    "Name=Trovexa FLV Converter"
    "Exec=\"${program}\" %f"
    "TryExec=${program}"
    "Icon=trovexa-flv-converter"
    "Terminal=false")
foreach(line IN LISTS expected)
    if(NOT line IN_LIST lines)
        message(FATAL_ERROR "the entry lacks the line ${line}:\n${lines}")
    endif()
endforeach()
file(READ "${entry}" text)
# desktop-file-install took the entry; it did not have to be copied.
if(messages MATCHES "refused")
    message(FATAL_ERROR "the entry was refused: ${messages}")
endif()
execute_process(COMMAND desktop-file-validate "${entry}"
    RESULT_VARIABLE result OUTPUT_VARIABLE problems ERROR_VARIABLE problems)
if(NOT result EQUAL 0 OR problems MATCHES "error")
    message(FATAL_ERROR "desktop-file-validate: ${problems}")
endif()
string(REGEX MATCH "\nMimeType=[^\n]*" mime "${text}")
foreach(type IN ITEMS video/x-flv video/mpeg video/x-msvideo video/x-ms-wmv
        application/vnd.ms-asf video/quicktime video/mp4 video/3gpp)
    string(FIND "${mime}" "${type};" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the entry's MimeType lacks ${type}:${mime}")
    endif()
endforeach()

# A home folder that cannot be written loses the entry but not the set-up.
file(MAKE_DIRECTORY "${WORK}/locked")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK}/locked XDG_DATA_HOME=/proc/no-such-folder
        bash ${SOURCE_DIR}/scripts/install-desktop.sh ${program}
    RESULT_VARIABLE result
    ERROR_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install-desktop.sh must not fail the set-up (${result})")
endif()
