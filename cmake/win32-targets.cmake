# Windows-only targets: the Win32 library, vandrel.exe and the tests run under Wine.
add_library(vandrel_win32 STATIC
  config/Win32SettingsStore.cpp
  engine/EncoderProcess.cpp
  ui/framework/Dialog.cpp
  ui/framework/UserInterface.cpp
  ui/theme/Theme.cpp
  ui/main/MainWindow.cpp
  ui/main/SessionControls.cpp
  ui/main/SidebarPicture.cpp
  app/VandrelApp.cpp
  app/InstanceChecker.cpp
  app/SystemTray.cpp)
target_link_libraries(vandrel_win32 PUBLIC vandrel_core comctl32 comdlg32 shell32 ole32 uuid)

set_source_files_properties(${VANDREL_RC} PROPERTIES OBJECT_DEPENDS "${VANDREL_ART_FILES}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${VANDREL_ART_DIR} -I${CMAKE_SOURCE_DIR}/resources")

add_executable(vandrel WIN32 app/Main.cpp ${VANDREL_RC})
target_link_libraries(vandrel PRIVATE vandrel_win32)
target_link_options(vandrel PRIVATE -municode)
add_dependencies(vandrel vandrel_art)

add_executable(fake_encoder tests/win32/FakeEncoder.cpp)
target_link_options(fake_encoder PRIVATE -municode)

add_executable(win32_tests
  tests/win32/TestSupport.cpp
  tests/win32/Win32SettingsStoreTests.cpp
  tests/win32/MainWindowTests.cpp
  tests/win32/EncoderTests.cpp
  tests/win32/AppShellTests.cpp
  ${VANDREL_RC})
target_include_directories(win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tests/win32)
add_dependencies(win32_tests vandrel_art fake_encoder vandrel)
target_link_libraries(win32_tests PRIVATE vandrel_win32 GTest::gtest_main)
gtest_discover_tests(win32_tests DISCOVERY_TIMEOUT 120)

# The installer test, the real-encoder test and the benchmark programs.
include(${CMAKE_SOURCE_DIR}/cmake/ship-targets.cmake)
