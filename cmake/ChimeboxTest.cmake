# One QtTest executable per unit, linked with the tests' own library
# (tests/support). Each fixes its own platform, DPI and locale
# (tests/support/TestMain.h), so it runs the same from a shell. WRAPPER runs it
# through a command that sets up what it needs, such as a sound server, and
# exits 77 (skipped) where that cannot be had.
function(chimebox_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;WRAPPER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} chimebox_testsupport)
  target_compile_definitions(${name} PRIVATE
    CHIMEBOX_TEST_FIXTURES="${CMAKE_SOURCE_DIR}/tests/support/fixtures")
  add_test(NAME ${name} COMMAND ${ARG_WRAPPER} $<TARGET_FILE:${name}>)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_WRAPPER)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
  endif()
endfunction()
