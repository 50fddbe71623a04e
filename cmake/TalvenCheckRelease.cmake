# cmake -DFILE=<metainfo.xml> -DVERSION=<x.y.z> -P TalvenCheckRelease.cmake
# Fails unless the first (newest) release of the AppStream metadata is
# VERSION, so that a new version is not shipped with the old release notes.
file(READ "${FILE}" metainfo)
string(REGEX MATCH "<release[ \t\r\n]+[^>]*version=\"([^\"]*)\"" found "${metainfo}")
if(NOT found)
  message(FATAL_ERROR "${FILE}: no <release version=\"...\"> found")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${FILE}: the newest release is ${CMAKE_MATCH_1}, the project's version is ${VERSION}: "
                      "add a <release version=\"${VERSION}\" date=\"...\"/> on top of <releases>")
endif()
