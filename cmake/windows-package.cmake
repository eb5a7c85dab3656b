# The Windows package: `cmake --install` puts quenlorn.exe, the shipped data
# and the Qt libraries it needs into one folder, and CPack zips that folder
# (`cpack -G ZIP`). With an MSVC Qt, windeployqt adds the Qt libraries,
# plugins and the WebEngine process; with the Qt for MinGW (which has no
# windeployqt and no WebEngine) the list below does.
# Included from the top-level CMakeLists.txt after src/ and data/, so the
# deployment runs after the program and its data are installed.

find_program(QL_WINDEPLOYQT windeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" "${Qt6_DIR}/../../../bin")

if(QL_WINDEPLOYQT AND NOT MINGW)
  # The compiler's runtime DLLs beside the program (no installer for it).
  set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION .)
  include(InstallRequiredSystemLibraries)
  install(CODE "
    message(STATUS \"windeployqt: \${CMAKE_INSTALL_PREFIX}/quenlorn.exe\")
    execute_process(
      COMMAND \"${QL_WINDEPLOYQT}\" --release --no-compiler-runtime --no-system-d3d-compiler --no-opengl-sw
              \"\${CMAKE_INSTALL_PREFIX}/quenlorn.exe\"
      COMMAND_ERROR_IS_FATAL ANY)
  ")
else()
  include(${CMAKE_CURRENT_LIST_DIR}/windows-package-mingw.cmake)
endif()

# The program's licence, a short German read-me, and the licence of expat,
# which is compiled into the program.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/windows/LIESMICH.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/third_party/expat/COPYING DESTINATION licenses/expat)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "Quenlorn")
set(CPACK_PACKAGE_VENDOR "zellgrenz.de")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quenlorn Polygonberechnung")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Quenlorn-${PROJECT_VERSION}-win64")
# One folder in the archive: the user unpacks it and starts quenlorn.exe there.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
