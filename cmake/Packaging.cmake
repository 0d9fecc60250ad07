# What `cmake --install` lays out, and the release archive.
#   windows: vistello-pack.exe, vistello.exe and README.txt side by side; `--target package`
#            zips them as vistello-<version>-win64.zip (CPack ZIP).
#   native:  bin/vistello-pack and share/vistello/vistello.exe (the Windows build's stub), the
#            place the tool looks for its stub when none lies beside it.
if(WIN32)
  # README.txt for Windows authors: UTF-8 with its byte order mark, CR LF line breaks.
  configure_file(${PROJECT_SOURCE_DIR}/docs/windows/README.txt ${PROJECT_BINARY_DIR}/README.lf.txt @ONLY)
  file(READ ${PROJECT_BINARY_DIR}/README.lf.txt readme)
  string(REPLACE "\n" "\r\n" readme "${readme}")
  file(WRITE ${PROJECT_BINARY_DIR}/README.txt "${readme}")
  install(TARGETS vistello vistello-pack RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME vistello)
  set(CPACK_PACKAGE_VENDOR Vistello)
  set(CPACK_PACKAGE_FILE_NAME vistello-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
else()
  install(TARGETS vistello-pack RUNTIME DESTINATION bin)
  install(FILES ${VISTELLO_WINDOWS_BUILD}/bin/vistello.exe DESTINATION share/vistello)
endif()
