# Shipping checks: the installer under Wine, the launched line with the real encoder, benchmarks.
add_executable(session_line_tests tests/win32/TestSupport.cpp tests/win32/SessionLineTests.cpp ${VANDREL_RC})
target_include_directories(session_line_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tests/win32)
add_dependencies(session_line_tests vandrel_art fake_encoder)
target_link_libraries(session_line_tests PRIVATE vandrel_win32 GTest::gtest_main)

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
