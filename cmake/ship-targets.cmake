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

# shell32 and comdlg32 load when first called (the tray icon, Save As), after the main window
# shows: loading them up front cost Wine about 60 ms of start-up. So do COM (the capture devices
# of the media settings) and the version functions (the About box).
string(REGEX REPLACE "g\\+\\+(-posix)?$" "dlltool" VANDREL_DLLTOOL_NAME "${CMAKE_CXX_COMPILER}")
set(delay_libs)
foreach(dll shell32 comdlg32 ole32 oleaut32 version)
  # The .def names carry i686's stdcall sizes; x86-64 names have none.
  file(READ ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def def)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+" "" def "${def}")
  endif()
  file(WRITE ${CMAKE_BINARY_DIR}/delayload/${dll}.def "${def}")
  set(lib ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${VANDREL_DLLTOOL_NAME} -k -d ${CMAKE_BINARY_DIR}/delayload/${dll}.def -y ${lib}
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def VERBATIM)
  list(APPEND delay_libs ${lib})
endforeach()
add_custom_target(vandrel_delayload DEPENDS ${delay_libs})
add_dependencies(vandrel vandrel_delayload)
target_link_libraries(vandrel PRIVATE ${delay_libs})
