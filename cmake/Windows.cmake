# The Windows build, included by CMakeLists.txt when cross-compiling with
# cmake/MinGW64Toolchain.cmake (the `windows` preset). The program's own
# layers are built as on Linux, but the stand-in headers resolve to the real
# <windows.h> and <d3d9.h>: the SDL platform, the OpenGL backend and the
# recording device are not built. Of the platform layer only what Windows
# does not have is kept: the D3DX helpers the program calls (so no DirectX
# redistributable is needed), the random sequence's bookkeeping, and the
# Win32 twins of the careful file calls (src/platform/files/win32).
#
# Everything is linked statically, so the programs import only system DLLs
# (tests/windows/check-imports.sh keeps that so).

add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00 _USE_MATH_DEFINES)
add_link_options(-static)

# GLM, stb and CLI11 are header-only: the host's copies serve the cross build.
set(TESSARY_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${TESSARY_HOST_HEADERS})
foreach(library glm stb CLI)
  if(NOT EXISTS /usr/include/${library})
    message(FATAL_ERROR "/usr/include/${library} is missing: run scripts/test to install it")
  endif()
  file(CREATE_LINK /usr/include/${library} ${TESSARY_HOST_HEADERS}/${library} SYMBOLIC)
endforeach()
include_directories(SYSTEM ${TESSARY_HOST_HEADERS})

add_library(tessary_platform STATIC
  src/platform/Random.cpp
  src/platform/d3d9/d3dx9.cpp
  src/platform/d3d9/D3DRefusal.cpp
  src/platform/d3d9/D3DNames.cpp
  src/platform/d3d9/CD3DXBuffer.cpp
  src/platform/files/win32/AtomicWrite.cpp
  src/platform/files/win32/ReadRegularFile.cpp
  src/platform/files/win32/CJournalFile.cpp)
target_include_directories(tessary_platform PUBLIC src)
target_link_libraries(tessary_platform PUBLIC d3d9 winmm)

tessary_layer(tessary_config DIRS src/config)

tessary_layer(tessary_core DIRS src/gfx src/shape src/genetic)
target_link_libraries(tessary_core PUBLIC tessary_platform tessary_config)
set_source_files_properties(src/shape/SuperShapeMesh.cpp PROPERTIES COMPILE_OPTIONS -fno-math-errno)

tessary_layer(tessary_scene DIRS src/scene)
target_link_libraries(tessary_scene PUBLIC tessary_core)

tessary_layer(tessary_app DIRS src/app)
target_link_libraries(tessary_app PUBLIC tessary_scene)
set_source_files_properties(src/app/CommandLine.cpp PROPERTIES
  COMPILE_DEFINITIONS TESSARY_VERSION="${PROJECT_VERSION}")

# The icon (all sizes Windows shows, from the 256-pixel desktop icon) and the
# version, as resources.
enable_language(RC)
set(TESSARY_ICO ${CMAKE_BINARY_DIR}/generated/tessary.ico)
add_custom_command(
  OUTPUT ${TESSARY_ICO}
  COMMAND convert ${CMAKE_SOURCE_DIR}/data/icons/hicolor/256x256/apps/tessary.png
          -define icon:auto-resize=256,128,64,48,32,16 ${TESSARY_ICO}
  DEPENDS data/icons/hicolor/256x256/apps/tessary.png
  COMMENT "Making the Windows icon")
set(TESSARY_RC_PROGRAM tessary)
configure_file(cmake/tessary.rc.in ${CMAKE_BINARY_DIR}/generated/tessary.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/tessary.rc PROPERTIES
  OBJECT_DEPENDS "${TESSARY_ICO};${CMAKE_SOURCE_DIR}/cmake/tessary.manifest")

add_executable(tessary WIN32 src/main.cpp ${CMAKE_BINARY_DIR}/generated/tessary.rc)
target_link_libraries(tessary PRIVATE tessary_app shell32)

# --- tessary-snapshot.exe ------------------------------------------------------
# The snapshot tool with the same options as on Linux, drawing through the
# system's Direct3D 9. tools/common/win32 implements tools/common's view: it
# makes the program's own device in a hidden window, and its preset clock
# and input take the scene's imports of timeGetTime, GetCursorPos and
# GetKeyState (the scene itself is the program's, unchanged).
add_executable(tessary-snapshot
  tools/tessary-snapshot/main.cpp
  tools/tessary-snapshot/SnapshotOptions.cpp
  tools/common/win32/COffscreenView.cpp
  tools/common/win32/CPresetInput.cpp)
target_include_directories(tessary-snapshot PRIVATE tools/common)
target_link_libraries(tessary-snapshot PRIVATE tessary_app)

# --- Tests under Wine ---------------------------------------------------------
if(TESSARY_TESTS)
  enable_testing()
  include(GoogleTest)
  # Debian ships GoogleTest's sources; built here with the cross compiler.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # The program logic that needs no device: genome, decoding, meshes, the
  # journal's text and file, breeding, the configuration, the random
  # sequence; and the Windows-only checks of tests/windows. The scene and
  # drawing tests need the recording device, which implements our stand-in's
  # interfaces, not the real ones; they run on Linux only.
  file(GLOB TESSARY_WINDOWS_TESTS CONFIGURE_DEPENDS
    tests/genetic/*_test.cpp tests/config/*_test.cpp tests/windows/*_test.cpp
    tests/shape/SolidMesh_test.cpp tests/shape/SuperShapeMesh_test.cpp
    tests/platform/Random_test.cpp tests/scene/SessionFile_test.cpp)
  add_executable(tessary_tests ${TESSARY_WINDOWS_TESTS})
  target_include_directories(tessary_tests PRIVATE tests)
  target_link_libraries(tessary_tests PRIVATE tessary_scene GTest::gtest_main)

  # One Wine prefix for the whole run: made and started once by the first
  # test, stopped by the last (ctest fixtures).
  set(TESSARY_WINE ${CMAKE_SOURCE_DIR}/tests/windows/with-wine.sh)
  set(TESSARY_WINE_ENV "TESSARY_WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix"
                       "TESSARY_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  add_test(NAME windows.wine-start COMMAND ${TESSARY_WINE} --start)
  add_test(NAME windows.wine-stop COMMAND ${TESSARY_WINE} --stop)
  set_tests_properties(windows.wine-start PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(windows.wine-stop PROPERTIES FIXTURES_CLEANUP wine)
  set_tests_properties(windows.wine-start windows.wine-stop PROPERTIES
    LABELS windows ENVIRONMENT "${TESSARY_WINE_ENV}")

  add_test(NAME windows.unit COMMAND ${TESSARY_WINE} $<TARGET_FILE:tessary_tests>)
  add_test(NAME windows.imports COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/check-imports.sh
           $<TARGET_FILE:tessary> $<TARGET_FILE:tessary_tests>)
  # The program itself under Wine on Xvfb (tests/e2e's harness).
  add_test(NAME windows.e2e COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/windows/test_wine_app.py)
  set_tests_properties(windows.e2e PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 RUN_SERIAL ON
    ENVIRONMENT "${TESSARY_WINE_ENV};TESSARY_EXE=$<TARGET_FILE:tessary>")
  set_tests_properties(windows.unit windows.imports PROPERTIES
    ENVIRONMENT "${TESSARY_WINE_ENV}")
  set_tests_properties(windows.unit windows.imports windows.e2e PROPERTIES
    LABELS windows FIXTURES_REQUIRED wine)

  # tessary-snapshot.exe: its imports, and its pictures against the Linux
  # tool's (the release build's, or $TESSARY_LINUX_SNAPSHOT).
  add_test(NAME windows.snapshot-imports COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/check-imports.sh
           $<TARGET_FILE:tessary-snapshot>)
  add_test(NAME windows.compare COMMAND ${CMAKE_SOURCE_DIR}/tests/support/with-display.sh
           python3 ${CMAKE_SOURCE_DIR}/tests/windows/compare_snapshots.py
           $<TARGET_FILE:tessary-snapshot>)
  set_tests_properties(windows.snapshot-imports windows.compare PROPERTIES LABELS windows)
  # Alone, like windows.e2e: a Wine program started meanwhile without a
  # display would start the prefix's desktop without one, and no window
  # could be made.
  set_tests_properties(windows.compare PROPERTIES TIMEOUT 150 SKIP_RETURN_CODE 77 RUN_SERIAL ON
    FIXTURES_REQUIRED wine ENVIRONMENT "${TESSARY_WINE_ENV}")
endif()

# --- tessary-export.exe: STL only -------------------------------------------
# The same options, replay and solid as on Linux. Debian has no Assimp for
# MinGW-w64, so tools/tessary-export/win32/AssimpFiles.cpp stands where the
# Assimp writers are: the STL comes from the core's writer, and other formats
# are refused on the command line. The manifest makes its file names UTF-8.
set(TESSARY_RC_PROGRAM tessary-export)
configure_file(cmake/tessary.rc.in ${CMAKE_BINARY_DIR}/generated/tessary-export.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/tessary-export.rc PROPERTIES
  OBJECT_DEPENDS "${TESSARY_ICO};${CMAKE_SOURCE_DIR}/cmake/tessary.manifest")
add_executable(tessary-export
  tools/tessary-export/main.cpp tools/tessary-export/ExportOptions.cpp
  tools/tessary-export/ExportWriter.cpp tools/tessary-export/win32/AssimpFiles.cpp
  ${CMAKE_BINARY_DIR}/generated/tessary-export.rc)
target_include_directories(tessary-export PRIVATE tools/tessary-export)
target_link_libraries(tessary-export PRIVATE tessary_app shell32)
install(TARGETS tessary-export RUNTIME DESTINATION .)
if(TESSARY_TESTS)
  add_test(NAME windows.imports-export COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/check-imports.sh
           $<TARGET_FILE:tessary-export>)
  # Its STL against the Linux build's (scripts/test builds build/test first).
  add_test(NAME windows.export COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/windows/test_wine_export.py)
  set_tests_properties(windows.export PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT
    "${TESSARY_WINE_ENV};TESSARY_EXPORT_EXE=$<TARGET_FILE:tessary-export>;TESSARY_LINUX_EXPORT=${CMAKE_SOURCE_DIR}/build/test/tessary-export")
  set_tests_properties(windows.imports-export windows.export PROPERTIES LABELS windows)
  set_tests_properties(windows.export PROPERTIES FIXTURES_REQUIRED wine)
endif()

# --- Packages: tessary-<version>-win64.zip and .exe ---------------------------
# The program, the README and the licences in one folder (cpack -G ZIP in
# build/windows), or an installer (cpack -G NSIS, with Debian's nsis) that
# puts them under Program Files with a Start-menu entry and an uninstaller.
install(TARGETS tessary RUNTIME DESTINATION .)
# The snapshot tool, beside the program.
install(TARGETS tessary-snapshot RUNTIME DESTINATION .)
install(FILES README.md LICENSE THIRD-PARTY-NOTICES DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tessary)
set(CPACK_PACKAGE_VENDOR "Tessary developers")
set(CPACK_PACKAGE_FILE_NAME tessary-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tessary)
set(CPACK_STRIP_FILES ON)
# The installer itself is a 32-bit program (NSIS makes no other): it must
# be told the 64-bit Program Files.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Tessary)
set(CPACK_NSIS_DISPLAY_NAME Tessary)
set(CPACK_NSIS_INSTALLED_ICON_NAME tessary.exe)
set(CPACK_NSIS_MUI_ICON ${TESSARY_ICO})
set(CPACK_NSIS_MUI_UNIICON ${TESSARY_ICO})
set(CPACK_NSIS_MENU_LINKS tessary.exe Tessary)
include(CPack)

if(TESSARY_TESTS)
  add_test(NAME windows.packages
           COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/windows/check_packages.py
           ${CMAKE_BINARY_DIR} tessary-${PROJECT_VERSION}-win64)
  set_tests_properties(windows.packages PROPERTIES LABELS windows)
endif()
