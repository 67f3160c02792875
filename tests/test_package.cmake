# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# Builds the Debian package, checks it with lintian, desktop-file-validate
# and appstreamcli, unpacks it into a scratch root and runs it from there as
# the user nobody, for whom the unpacked files are read-only (the tests run
# as root, whom file permissions do not stop).
# -DCPACK=<cpack> -DCPACK_CONFIG=<CPackConfig.cmake> -DDRIVER=<installed_run>
# -DVERSION=<version> -DWORK=<scratch folder>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(check what)
    execute_process(COMMAND ${ARGN}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed (${result}):\n${output}\n${errors}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

check("cpack" "${CPACK}" --config "${CPACK_CONFIG}" -G DEB -B "${WORK}/deb")
file(GLOB deb "${WORK}/deb/trovexa_${VERSION}_*.deb")
if(NOT deb)
    message(FATAL_ERROR "cpack made no package in ${WORK}/deb")
endif()

# lintian: warnings are allowed, errors are not.
execute_process(COMMAND lintian "${deb}" OUTPUT_VARIABLE findings ERROR_QUIET)
if(findings MATCHES "(^|\n)E: ")
    message(FATAL_ERROR "lintian finds errors:\n${findings}")
endif()

# The unpacked package, and all that nobody runs and writes, live in a
# scratch folder outside the build tree, which nobody may not be able to
# enter (a checkout under /root).
string(MD5 tag "${WORK}")
if(DEFINED ENV{TMPDIR})
    set(scratch "$ENV{TMPDIR}/trovexa-package-${tag}")
else()
    set(scratch "/tmp/trovexa-package-${tag}")
endif()
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}")
file(CHMOD "${scratch}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(root "${scratch}/root")
check("dpkg-deb -x" dpkg-deb -x "${deb}" "${root}")
set(app "${root}/usr/lib/trovexa")
# The colour table comes from the dependency x11-common, which the scratch
# root lacks: it borrows the system's.
file(MAKE_DIRECTORY "${root}/usr/share/X11")
file(CREATE_LINK /usr/share/X11/rgb.txt "${root}/usr/share/X11/rgb.txt" SYMBOLIC)
foreach(file IN ITEMS
        "${app}/trovexa" "${app}/ffmpeg" "${app}/flvmdi" "${app}/fonts.txt"
        "${app}/fontsizes.txt" "${app}/colors.txt" "${app}/trvx_flvcn.html"
        "${app}/vhook/rgb.txt"
        "${root}/usr/share/icons/hicolor/scalable/apps/trovexa-flv-converter.svg"
        "${root}/usr/share/icons/hicolor/48x48/apps/trovexa-flv-converter.png"
        "${root}/usr/share/man/man1/trovexa.1.gz"
        "${root}/usr/share/doc/trovexa/copyright")
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "the package lacks ${file}")
    endif()
endforeach()
file(READ_SYMLINK "${root}/usr/bin/trovexa" command)
if(NOT command STREQUAL "../lib/trovexa/trovexa")
    message(FATAL_ERROR "/usr/bin/trovexa links to ${command}")
endif()

check("desktop-file-validate"
    desktop-file-validate "${root}/usr/share/applications/trovexa-flv-converter.desktop")
if(output MATCHES "error")
    message(FATAL_ERROR "desktop-file-validate: ${output}")
endif()
check("appstreamcli validate"
    appstreamcli validate --pedantic --no-net
        "${root}/usr/share/metainfo/com.trovexa.flvconverter.metainfo.xml")
# The licence, the same in the copyright file, the AppStream data and the About box.
file(READ "${root}/usr/share/doc/trovexa/copyright" copyright)
file(READ "${root}/usr/share/metainfo/com.trovexa.flvconverter.metainfo.xml" metainfo)
if(NOT copyright MATCHES "\nFiles: \\*\nCopyright: [^\n]+\nLicense: GPL-3\\+\n"
        OR NOT copyright MATCHES "/usr/share/common-licenses/GPL-3"
        OR NOT metainfo MATCHES "<project_license>GPL-3.0-or-later</project_license>")
    message(FATAL_ERROR "the package does not say GPL-3.0-or-later:\n${copyright}\n${metainfo}")
endif()
if(findings MATCHES "copyright")
    message(FATAL_ERROR "lintian finds fault with the copyright file:\n${findings}")
endif()

# Everything below runs as nobody, in a home folder of its own; the
# unpacked files belong to root and are not writable for nobody.
set(home "${scratch}/home")
file(MAKE_DIRECTORY "${home}/tmp")
file(CHMOD "${home}" "${home}/tmp"
    PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE GROUP_EXECUTE
        WORLD_READ WORLD_WRITE WORLD_EXECUTE)
set(as_nobody setpriv --reuid=nobody --regid=nogroup --clear-groups
    env -i PATH=/usr/bin:/bin HOME=${home} TMPDIR=${home}/tmp)

# --help and --version answer on the terminal, with no display at all.
check("trovexa --version" ${as_nobody} "${root}/usr/bin/trovexa" --version)
if(NOT output STREQUAL "Trovexa FLV Converter ${VERSION}\n")
    message(FATAL_ERROR "trovexa --version answers: ${output}")
endif()
check("trovexa --help" ${as_nobody} "${root}/usr/bin/trovexa" --help)
if(NOT output MATCHES "Usage: .*trovexa \\[options\\] \\[file\\.\\.\\.\\]")
    message(FATAL_ERROR "trovexa --help answers: ${output}")
endif()

# A conversion without a window, as a script of nobody's runs it: no
# display, the intermediate in nobody's own cache folder, nothing left there.
check("making a source" ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=320x240:rate=25:d=2
    -f lavfi -i sine=d=2 -c:v mpeg4 -c:a libmp3lame "${home}/clip.avi")
file(MAKE_DIRECTORY "${home}/out")
file(CHMOD "${home}/clip.avi" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD "${home}/out" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE
    GROUP_EXECUTE WORLD_READ WORLD_WRITE WORLD_EXECUTE)
check("trovexa --convert" ${as_nobody} "${root}/usr/bin/trovexa" --convert
    --output-folder "${home}/out" --images 2 "${home}/clip.avi")
if(NOT output MATCHES "normalizing started.*clip.avi: done, ${home}/out/clip.flv\n1 converted")
    message(FATAL_ERROR "trovexa --convert answers: ${output}")
endif()
check("flvmeta --check" flvmeta --check --quiet "${home}/out/clip.flv")
file(GLOB pictures RELATIVE "${home}/out" "${home}/out/*.jpg")
file(GLOB left "${home}/.cache/trovexa/*")
if(NOT pictures STREQUAL "clip-cover1.jpg;clip-cover2.jpg" OR left OR NOT IS_DIRECTORY "${home}/.cache/trovexa")
    message(FATAL_ERROR "trovexa --convert wrote pictures '${pictures}' and left '${left}'")
endif()

# A whole conversion through the window, from the unpacked folder, by a
# driver started through a link, as the package starts the program.
file(COPY "${DRIVER}" DESTINATION "${scratch}/driver")
get_filename_component(driver_name "${DRIVER}" NAME)
file(CREATE_LINK "${scratch}/driver/${driver_name}" "${scratch}/installed_run" SYMBOLIC)
check("the run from the unpacked package" ${as_nobody}
    XDG_CACHE_HOME=${home}/cache QT_QPA_PLATFORM=offscreen
    TROVEXA_INSTALLED_APP=${app} TROVEXA_DRIVER_FOLDER=${scratch}/driver
    "${scratch}/installed_run")
message(STATUS "${output}")
file(REMOVE_RECURSE "${scratch}")
