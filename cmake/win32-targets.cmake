# Windows-only targets: the Win32 library, vandrel.exe and the tests run under Wine.
add_library(vandrel_win32 STATIC
  config/Win32SettingsStore.cpp
  engine/EncoderProcess.cpp
  engine/ReportFile.cpp
  ui/main/SessionStatus.cpp
  engine/EncoderCheck.cpp
  engine/OwnedProcess.cpp
  engine/SoundRelay.cpp
  engine/PreviewProcess.cpp
  engine/ConversionProcess.cpp
  ui/framework/Dialog.cpp
  ui/framework/Keyboard.cpp
  ui/framework/UserInterface.cpp
  ui/theme/Theme.cpp
  ui/theme/ThemedDialog.cpp
  ui/main/MainWindow.cpp
  ui/main/SessionControls.cpp
  ui/main/RecordingSave.cpp
  ui/main/SidebarPicture.cpp
  ui/main/StartStopHotkey.cpp
  app/VandrelApp.cpp
  app/InstanceChecker.cpp
  app/SystemTray.cpp
  ui/main/ThemeSwitch.cpp
  ui/dialogs/DemoModeDlg.cpp
  ui/dialogs/AboutDlg.cpp
  devices/CaptureDevices.cpp
  ui/dialogs/MediaSettingsDialog.cpp
  ui/dialogs/MediaPreviewPane.cpp
  ui/theme/DarkControls.cpp)
target_link_libraries(vandrel_win32 PUBLIC vandrel_core comctl32 comdlg32 shell32 ole32 uuid)
target_link_libraries(vandrel_win32 PUBLIC version oleaut32)

set_source_files_properties(${VANDREL_RC} PROPERTIES OBJECT_DEPENDS "${VANDREL_ART_FILES}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${VANDREL_ART_DIR} -I${CMAKE_SOURCE_DIR}/resources")

add_executable(vandrel WIN32 app/Main.cpp ${VANDREL_RC})
target_link_libraries(vandrel PRIVATE vandrel_win32)
target_link_options(vandrel PRIVATE -municode)
add_dependencies(vandrel vandrel_art)

add_executable(fake_encoder tests/win32/FakeEncoder.cpp)
target_link_options(fake_encoder PRIVATE -municode)

# A program of Windows tests: the test helpers, the resources and the Win32 library, with the
# programs its tests start (DEPENDS) built first. The product's own link options stay on vandrel.
function(vandrel_test_program name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} tests/win32/TestSupport.cpp ${arg_SOURCES} ${VANDREL_RC})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tests/win32)
  add_dependencies(${name} vandrel_art ${arg_DEPENDS})
  target_link_libraries(${name} PRIVATE vandrel_win32 GTest::gtest_main)
endfunction()

vandrel_test_program(win32_tests
  SOURCES
    tests/win32/Win32SettingsStoreTests.cpp
    tests/win32/MainWindowTests.cpp
    tests/win32/EncoderTests.cpp
    tests/win32/SessionReportTests.cpp
    tests/win32/AppShellTests.cpp
    tests/win32/ThemeAndHelpTests.cpp
    tests/win32/MediaSettingsTests.cpp
    tests/win32/KeyboardTests.cpp
    tests/win32/MainWindowHostTests.cpp
  DEPENDS fake_encoder vandrel)
gtest_discover_tests(win32_tests DISCOVERY_TIMEOUT 120)

# The screenshot script's helper: clicks a control of the running main window.
add_executable(post_command tools/PostCommand.cpp)
target_link_options(post_command PRIVATE -municode)
# Server management: the server list dialog and the credentials editor.
target_sources(vandrel_win32 PRIVATE
  ui/dialogs/CredentialsEditor.cpp
  ui/dialogs/ServerListDialog.cpp)
target_sources(win32_tests PRIVATE tests/win32/ServerDialogsTests.cpp)
# The installer test, the real-encoder test and the benchmark programs.
include(${CMAKE_SOURCE_DIR}/cmake/ship-targets.cmake)
# The real Windows encoder's wrapper and the tests that run it.
include(${CMAKE_SOURCE_DIR}/cmake/real-encoder.cmake)
