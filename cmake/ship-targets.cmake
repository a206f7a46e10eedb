# Shipping checks: the installer under Wine, the launched line with the real encoder, benchmarks.
vandrel_test_program(session_line_tests
  SOURCES tests/win32/RealEncoder.cpp tests/win32/SessionLineTests.cpp
  DEPENDS fake_encoder encoder_wrapper)

# Installs, starts and uninstalls the x86-64 build of the shipped installer script.
add_test(NAME package_install_start_uninstall
  COMMAND sh -c "sh '${CMAKE_SOURCE_DIR}/packaging/make-package.sh' vandrel.exe resources/app.ico package amd64 >/dev/null && sh '${CMAKE_SOURCE_DIR}/tests/package/install-test.sh' package/Vandrel-1.38.0.0-x64-setup.exe vandrel.exe install-test"
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(package_install_start_uninstall PROPERTIES TIMEOUT 240 RUN_SERIAL ON)

# The composed line, run by Debian's ffmpeg against nginx-rtmp on 127.0.0.1.
add_test(NAME real_encoder_session
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/e2e/real-encoder.sh ${CMAKE_BINARY_DIR}/session_line_tests.exe ${CMAKE_BINARY_DIR}/real-encoder
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(real_encoder_session PROPERTIES TIMEOUT 240 RUN_SERIAL ON)

# The README's relay file, run by nginx-rtmp on 127.0.0.1 between the application's real encoder
# and two servers.
add_test(NAME relay_recipe
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/e2e/relay.sh ${CMAKE_BINARY_DIR}/session_line_tests.exe ${CMAKE_BINARY_DIR}/relay
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(relay_recipe PROPERTIES TIMEOUT 120 RUN_SERIAL ON)

# scripts/bench.sh: the probe and its baseline program.
add_executable(bench_probe tools/bench/BenchProbe.cpp)
target_link_libraries(bench_probe PRIVATE vandrel_win32 psapi)
target_link_options(bench_probe PRIVATE -municode)
add_executable(bare_dialog WIN32 tools/bench/BareDialog.cpp tools/bench/BareDialog.rc)
target_link_options(bare_dialog PRIVATE -municode)

# Sections on page boundaries in the file let Wine map the image instead of reading it whole,
# so the large side-panel bitmap costs memory only for the rows the window shows.
target_link_options(vandrel PRIVATE -Wl,--file-alignment,0x1000)

# shell32, comdlg32, ole32, oleaut32 and version.dll load when first called (the tray icon, Save As,
# the capture devices, the About box), after the main window shows.
target_sources(vandrel PRIVATE app/FirstUseImports.cpp)
