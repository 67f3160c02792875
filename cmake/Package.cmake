# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package (cpack -G DEB in the build folder).
#
#   /usr/lib/trovexa/         the application folder: the program, the tool
#                             front-ends, data files, vhook/rgb.txt, the manual
#   /usr/bin/trovexa          a link to the program
#   /usr/share/...            desktop entry, icons, AppStream data, manual
#                             page, copyright and changelog
include(GNUInstallDirs)

set(TROVEXA_INSTALL_APP_DIR "lib/trovexa")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(package_data "${CMAKE_SOURCE_DIR}/data/package")
set(desktop_data "${CMAKE_SOURCE_DIR}/data/desktop")
set(staging "${CMAKE_BINARY_DIR}/package")
set(docs "${CMAKE_INSTALL_DATAROOTDIR}/doc/trovexa")

install(TARGETS trovexa trovexa_ffmpeg_frontend trovexa_flvmdi
    RUNTIME DESTINATION "${TROVEXA_INSTALL_APP_DIR}")
install(FILES
        "${TROVEXA_APP_DIR}/fonts.txt"
        "${TROVEXA_APP_DIR}/fontsizes.txt"
        "${TROVEXA_APP_DIR}/colors.txt"
        "${TROVEXA_APP_DIR}/trvx_flvcn.html"
    DESTINATION "${TROVEXA_INSTALL_APP_DIR}")

# Links: the command on the search path is the program in its application
# folder, and the colour table is the one x11-common installs (a relative
# link, made where the installation goes).
file(MAKE_DIRECTORY "${staging}")
file(CREATE_LINK "../lib/trovexa/trovexa" "${staging}/trovexa" SYMBOLIC)
install(FILES "${staging}/trovexa" DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(CODE "
    set(vhook \"\${CMAKE_INSTALL_PREFIX}/${TROVEXA_INSTALL_APP_DIR}/vhook\")
    file(RELATIVE_PATH table \"\${vhook}\" \"${TROVEXA_RGB_TXT}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${vhook}\")
    file(CREATE_LINK \"\${table}\" \"\$ENV{DESTDIR}\${vhook}/rgb.txt\" SYMBOLIC)
")

install(FILES "${desktop_data}/trovexa-flv-converter.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${desktop_data}/trovexa-flv-converter.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
foreach(size IN ITEMS 48 128 256)
    install(FILES "${desktop_data}/trovexa-flv-converter-${size}.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
        RENAME trovexa-flv-converter.png)
endforeach()
install(FILES "${package_data}/com.trovexa.flvconverter.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${package_data}/copyright" DESTINATION "${docs}")
# Recipes for spreading a batch over processes and machines.
install(PROGRAMS "${CMAKE_SOURCE_DIR}/packaging/batch/parallel.sh"
    "${CMAKE_SOURCE_DIR}/packaging/batch/slurm-array.sbatch"
    DESTINATION "${docs}/batch")

# The manual page and the changelog are shipped compressed, without time stamps.
find_program(TROVEXA_GZIP gzip REQUIRED)
foreach(page IN ITEMS trovexa.1 changelog)
    add_custom_command(OUTPUT "${staging}/${page}.gz"
        COMMAND "${TROVEXA_GZIP}" -9nc "${package_data}/${page}" > "${staging}/${page}.gz"
        DEPENDS "${package_data}/${page}"
        VERBATIM)
    list(APPEND compressed "${staging}/${page}.gz")
endforeach()
add_custom_target(trovexa_package_pages ALL DEPENDS ${compressed})
install(FILES "${staging}/trovexa.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${staging}/changelog.gz" DESTINATION "${docs}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trovexa)
set(CPACK_PACKAGE_VENDOR Trovexa)
set(CPACK_PACKAGE_CONTACT "Trovexa <packages@trovexa.com>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video to Flash Video (FLV) converter")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Trovexa FLV Converter turns MPEG, AVI, WMV/ASF, FLV, MOV/MP4, 3GP, VOB and
Video CD files into Flash Video files, with an optional text watermark,
FLV metadata and JPEG pictures of the first frames. A built-in player
shows the result.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.trovexa.com/flv-converter/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program runs and reads besides its libraries: the real tools
# behind its front-ends, the colour table, the fonts of fonts.txt and the
# player's GStreamer plug-ins (plugins-bad: the H.264 parser).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "ffmpeg, flvmeta, x11-common, fonts-dejavu-core, fonts-dejavu-extra, fonts-liberation2, fonts-freefont-ttf, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav")
include(CPack)
