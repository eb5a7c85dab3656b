# What a MinGW build of the program needs beside quenlorn.exe, and only that:
# the three Qt libraries it links, the platform and style plugins in their
# folders, the MinGW runtime, Qt's German translations, Qt's licence texts
# with a note where its source is and the notices of the code built into its
# libraries, the runtime's licences, and a qt.conf that makes the program's
# folder Qt's prefix (plugins and translations are looked up there).

find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(QL_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT QL_QT_CORE_DLL)
  get_target_property(QL_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(QL_QT_BIN ${QL_QT_CORE_DLL} DIRECTORY)
get_filename_component(QL_QT_ROOT ${QL_QT_BIN} DIRECTORY)

install(FILES ${QL_QT_BIN}/Qt6Core.dll ${QL_QT_BIN}/Qt6Gui.dll ${QL_QT_BIN}/Qt6Widgets.dll DESTINATION .)
install(FILES ${QL_QT_ROOT}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${QL_QT_ROOT}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)

# The C++ runtime the compiler and Qt's DLLs share.
set(QL_MINGW_RUNTIME_DIRS /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  find_file(QL_RUNTIME_${dll} ${dll} PATHS ${QL_MINGW_RUNTIME_DIRS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  install(FILES ${QL_RUNTIME_${dll}} DESTINATION .)
endforeach()

# Debian's German translations of Qt's own texts (package qt6-translations-l10n):
# the buttons of message boxes and the file dialog.
set(QL_QT_TRANSLATIONS /usr/share/qt6/translations CACHE PATH "Folder with qtbase_de.qm")
find_file(QL_QTBASE_DE qtbase_de.qm PATHS ${QL_QT_TRANSLATIONS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${QL_QTBASE_DE} DESTINATION translations)

install(DIRECTORY ${QL_QT_ROOT}/LICENSES/ DESTINATION licenses/qt)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/qt-source.txt ${PROJECT_SOURCE_DIR}/packaging/windows/licenses/qt-third-party.txt
        DESTINATION licenses/qt)

# The compiler's runtime (libstdc++, libgcc: GPL 3 with the GCC Runtime
# Library Exception) and MinGW-w64's (winpthreads), as Debian's packages of
# them state their licences; the exception also on its own.
set(QL_MINGW_DOCS /usr/share/doc CACHE PATH "Folder with the MinGW-w64 packages' copyright files")
foreach(doc gcc-mingw-w64-base mingw-w64-common)
  find_file(QL_COPYRIGHT_${doc} copyright PATHS ${QL_MINGW_DOCS}/${doc} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
endforeach()
find_file(QL_GPL3 GPL-3 PATHS /usr/share/common-licenses NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(READ ${QL_COPYRIGHT_gcc-mingw-w64-base} QL_GCC_COPYRIGHT)
string(FIND "${QL_GCC_COPYRIGHT}" "GCC RUNTIME LIBRARY EXCEPTION" QL_EXCEPTION_BEGIN)
string(FIND "${QL_GCC_COPYRIGHT}" "requirements of the license of GCC." QL_EXCEPTION_END)
if(QL_EXCEPTION_BEGIN LESS 0 OR QL_EXCEPTION_END LESS QL_EXCEPTION_BEGIN)
  message(FATAL_ERROR "No GCC Runtime Library Exception in ${QL_COPYRIGHT_gcc-mingw-w64-base}")
endif()
math(EXPR QL_EXCEPTION_LENGTH "${QL_EXCEPTION_END} + 35 - ${QL_EXCEPTION_BEGIN}")
string(SUBSTRING "${QL_GCC_COPYRIGHT}" ${QL_EXCEPTION_BEGIN} ${QL_EXCEPTION_LENGTH} QL_EXCEPTION_TEXT)
file(WRITE ${CMAKE_BINARY_DIR}/notices/GCC-RUNTIME-LIBRARY-EXCEPTION.txt "${QL_EXCEPTION_TEXT}\n")
install(FILES ${CMAKE_BINARY_DIR}/notices/GCC-RUNTIME-LIBRARY-EXCEPTION.txt DESTINATION licenses/mingw-w64)
install(FILES ${QL_COPYRIGHT_gcc-mingw-w64-base} DESTINATION licenses/mingw-w64 RENAME gcc-runtime-copyright.txt)
install(FILES ${QL_COPYRIGHT_mingw-w64-common} DESTINATION licenses/mingw-w64 RENAME mingw-w64-runtime-copyright.txt)
install(FILES ${QL_GPL3} DESTINATION licenses/mingw-w64 RENAME GPL-3.txt)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/qt.conf DESTINATION .)

# The program and the MinGW runtime without their debugging information (Qt's
# DLLs come stripped): a fraction of the size.
install(CODE "
  file(GLOB runtime \"\${CMAKE_INSTALL_PREFIX}/lib*.dll\")
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${CMAKE_INSTALL_PREFIX}/quenlorn.exe\" \${runtime}
                  COMMAND_ERROR_IS_FATAL ANY)
")

# cpack installs what the script built (quenlorn.exe) without building every
# target first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
