# On a Linux host the Windows binaries run under Wine: every test executable is started
# through a small script that points Wine at the prefix inside this build folder. The
# test command (scripts/test) creates that prefix once and keeps one wineserver and a
# private X display alive around ctest.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_HOST_WIN32)
  set(TREMORLINK_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
