# The window-free core's sources, one list per library (TRV_<LIBRARY>_SOURCES): every .cpp of a
# core folder belongs to its library. src/<folder>/CMakeLists.txt builds the library from its
# list; fuzz/CMakeLists.txt compiles the Qt-free ones again with the fuzzing instrumentation.
cmake_path(SET TRV_CORE_SOURCE_DIR NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../src")

foreach(folder platform spectrum exp asciitable plot calibration follow)
  string(TOUPPER ${folder} library)
  file(GLOB TRV_${library}_SOURCES CONFIGURE_DEPENDS ${TRV_CORE_SOURCE_DIR}/${folder}/*.cpp)
endforeach()

# The core sources that need Qt (the user's locale formats come from QLocale).
set(TRV_QT_CORE_SOURCES ${TRV_CORE_SOURCE_DIR}/platform/LocaleFormats.cpp)
