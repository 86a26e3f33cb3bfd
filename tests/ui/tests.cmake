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
# Qt wants a private runtime folder.
set(TRV_UI_RUNTIME_DIR ${CMAKE_CURRENT_BINARY_DIR}/ui-runtime)
file(MAKE_DIRECTORY ${TRV_UI_RUNTIME_DIR})
file(CHMOD ${TRV_UI_RUNTIME_DIR} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
gtest_discover_tests(test_ui DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${TRV_UI_RUNTIME_DIR};LC_ALL=C.UTF-8")
