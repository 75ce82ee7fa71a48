# tarnwick_add_qtest(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>] [LABELS <l...>])
# A QtTest executable registered with CTest. Every test runs on the offscreen platform, in a
# private home and config folder, so it never touches the user's settings or lock files.
function(tarnwick_add_qtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(scratch ${CMAKE_BINARY_DIR}/test-scratch/${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TARNWICK_TEST_SCRATCH=${scratch};XDG_CONFIG_HOME=${scratch}/config;XDG_RUNTIME_DIR=${scratch}/run;TARNWICK_BINARY_DIR=${CMAKE_BINARY_DIR};TARNWICK_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  file(MAKE_DIRECTORY ${scratch}/config ${scratch}/run)
  file(CHMOD ${scratch}/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()
