# mailvane_glob_tests(PREFIX name LIBS lib...): one GoogleTest executable per
# test_*.cpp of the calling folder, named PREFIX_file, each test a ctest case.
function(mailvane_glob_tests)
  cmake_parse_arguments(T "" "PREFIX" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  foreach(src ${srcs})
    get_filename_component(stem ${src} NAME_WE)
    set(name ${T_PREFIX}_${stem})
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)
  endforeach()
endfunction()
