# The real Windows encoder in the Windows tests (docs/testing.md): the wrapper that tests install
# as ffmpeg.exe, and the tests whose sessions start it through the application.
set(VANDREL_REAL_ENCODER /opt/vandrel/ffmpeg-win32-x64/ffmpeg.exe CACHE FILEPATH "The real Windows encoder (scripts/setup.sh installs it)")
add_executable(encoder_wrapper tests/win32/EncoderWrapper.cpp)
target_link_options(encoder_wrapper PRIVATE -municode)

vandrel_test_program(real_encoder_tests
  SOURCES tests/win32/RealEncoder.cpp tests/win32/RealEncoderTests.cpp tests/win32/RealEncoderReportTests.cpp tests/win32/RealEncoderPreviewTests.cpp
  DEPENDS encoder_wrapper fake_encoder vandrel)
gtest_discover_tests(real_encoder_tests DISCOVERY_TIMEOUT 120
  PROPERTIES ENVIRONMENT "VANDREL_REAL_ENCODER=Z:${VANDREL_REAL_ENCODER}" RUN_SERIAL ON)
