# Helpers shared by every folder: one static library per source folder, one test executable per test
# folder. Sources are globbed so that adding a file needs no CMake edit.

function(velmor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wno-missing-field-initializers)
endfunction()

function(velmor_sanitize target)
  if(VELMOR_SANITIZE)
    list(JOIN VELMOR_SANITIZE "," _san)
    target_compile_options(${target} PRIVATE -fsanitize=${_san} -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=${_san})
  endif()
endfunction()

# velmor_library(<name> LIBS <deps...>): builds every .cpp of the current folder into <name>.
function(velmor_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _src)
    # A folder whose code has not been written yet still takes part in the graph.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  velmor_warnings(${name})
  velmor_sanitize(${name})
endfunction()

# velmor_tests(<name> LABEL <label> LIBS <deps...>): one GoogleTest executable from the .cpp files of
# the current test folder plus the shared test main (which makes a QApplication on the offscreen
# platform). Tests are discovered when CTest runs, not at build time.
function(velmor_tests name)
  cmake_parse_arguments(ARG "" "LABEL" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} velmor_test_support GTest::gtest Qt6::Test Qt6::Widgets)
  velmor_warnings(${name})
  velmor_sanitize(${name})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABEL}" TIMEOUT 120
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
