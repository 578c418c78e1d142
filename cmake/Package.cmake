# The release ZIP: the program and its console twin with its help page, the simulator DLLs in a
# folder of their own (the maker's DLLs go beside the exe to flash devices),
# sample firmware, README, licence and the JSON stream's schema.
# Made by: cmake --build --preset windows --target package
# The release is the 32-bit ZIP (win32): only a 32-bit program can load the
# maker's 32-bit DLLs. The windows64 preset makes a win64 ZIP beside it, with
# the 64-bit simulator, for a 64-bit library of the maker and for trying the
# tool with the simulator on any PC.
install(TARGETS TavroDownload TavroDownloadCom RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/res/help/TavroDownload.html
              ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION .)
# The JSON stream's schema, which a plant's system is written against.
install(FILES ${PROJECT_SOURCE_DIR}/docs/json-events.md DESTINATION docs)
install(TARGETS Vardel Ostrel RUNTIME DESTINATION simulator LIBRARY DESTINATION simulator)
install(FILES ${PROJECT_SOURCE_DIR}/vardel/README.md ${PROJECT_SOURCE_DIR}/vardel/Vardel.ini
        DESTINATION simulator)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/ DESTINATION samples OPTIONAL
        FILES_MATCHING PATTERN "*.fdl")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TavroDownload)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
else()
    set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_FILE_NAME TavroDownload-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
include(CPack)
