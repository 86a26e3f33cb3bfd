# The main window's tests: real widgets on the offscreen platform, the scripted Platform.
find_package(Qt6 REQUIRED COMPONENTS Test)
file(GLOB TRV_UI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
add_executable(test_ui ${TRV_UI_TEST_SOURCES})
set_target_properties(test_ui PROPERTIES AUTOMOC ON)
target_link_libraries(test_ui PRIVATE trv_ui Qt6::Test GTest::gtest GTest::gmock)
target_include_directories(test_ui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(test_ui PRIVATE
  TRV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  TRV_BINARY_DIR="${PROJECT_BINARY_DIR}"
  TRV_CONVERT_EXE="$<TARGET_FILE:trevandel-convert>")
# The parity test runs the converter beside the window.
add_dependencies(test_ui trevandel-convert)
# A read stuck on a FIFO or a device file ends the test at the time limit.
gtest_discover_tests(test_ui DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "${TRV_QT_TEST_ENVIRONMENT}" TIMEOUT 60)
