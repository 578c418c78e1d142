# Cross build for 64-bit Windows: the twin of the release, for machines that
# run no 32-bit Linux code and so no 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The `wine` command always starts the 32-bit loader when wine32 is installed;
# the 64-bit loader runs 64-bit programs when started directly and told that
# it is the loader.
find_program(WINE64_LOADER wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(WINE64_LOADER wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh ${WINE64_LOADER})
