# SPDX-FileCopyrightText: 2026 The Reelkeeper developers
# SPDX-License-Identifier: GPL-3.0-or-later

# `cpack -G DEB` in the build folder makes the Debian package: the same files as
# `cmake --install`, below /usr, with the library packages found by
# dpkg-shlibdeps as its Depends.
set(CPACK_PACKAGE_NAME reelkeeper)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision: the changelog (data/linux/changelog) names the same.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR Marrowgate)
set(CPACK_PACKAGE_CONTACT "Marrowgate <reelkeeper@marrowgate.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manage the MP4 videos on a PSP's memory stick")
set(CPACK_PACKAGE_DESCRIPTION [=[
Reelkeeper shows a folder of the computer and the video folder of a
PlayStation Portable's memory stick side by side, with each video's
thumbnail, title and date. It copies and moves videos both ways under the
names the PSP expects, deletes them on the stick, shows the stick's space,
and rewrites the title stored inside each MP4 file in place.
The command-line tool reelkeeper-cli does the same work without a window.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.marrowgate.example/catalogue/reelkeeper.html")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FFmpeg is opened at the first picture, not linked, so shlibdeps can't see it.
get_property(CPACK_DEBIAN_PACKAGE_DEPENDS GLOBAL PROPERTY REELKEEPER_FFMPEG_DEBS)
# Qt's platform plugins come with libqt6gui6, which shlibdeps finds. The
# Chinese and Japanese translations need a CJK font; every other text is
# covered by the font that fontconfig itself pulls in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wqy-microhei)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
