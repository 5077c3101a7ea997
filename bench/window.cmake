# The window's own figures: the inbox refresh and the window's responsiveness
# against the stand-in on loopback, and the start-up probes with the
# benchmark that spawns them.
if(TARGET mailvane_window AND TARGET mailvane_standin)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets Test)

  add_executable(mailvane_bench_window ${CMAKE_CURRENT_LIST_DIR}/bench_window.cpp)
  target_link_libraries(mailvane_bench_window PRIVATE mailvane_window mailvane_standin
    Qt6::Widgets Qt6::Test CURL::libcurl nlohmann_json::nlohmann_json benchmark::benchmark)

  # The probes live in a folder of their own: the window keeps its
  # config.ini and html.htm beside its program.
  set(probe_dir ${CMAKE_CURRENT_BINARY_DIR}/probes)
  add_executable(mailvane_probe_window ${CMAKE_CURRENT_LIST_DIR}/probes/probe_window.cpp)
  target_link_libraries(mailvane_probe_window PRIVATE mailvane_window)
  add_executable(mailvane_probe_empty ${CMAKE_CURRENT_LIST_DIR}/probes/probe_empty.cpp)
  target_link_libraries(mailvane_probe_empty PRIVATE Qt6::Widgets)
  add_executable(mailvane_probe_html ${CMAKE_CURRENT_LIST_DIR}/probes/probe_html.cpp)
  target_link_libraries(mailvane_probe_html PRIVATE mailvane_window Qt6::Test)
  foreach(probe mailvane_probe_window mailvane_probe_empty mailvane_probe_html)
    target_include_directories(${probe} PRIVATE ${PROJECT_SOURCE_DIR})
    set_target_properties(${probe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${probe_dir})
  endforeach()

  add_executable(mailvane_bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp)
  target_include_directories(mailvane_bench_startup PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(mailvane_bench_startup PRIVATE mailvane_profile mailvane_text benchmark::benchmark)
  target_compile_definitions(mailvane_bench_startup PRIVATE
    MAILVANE_PROBE_DIR="${probe_dir}"
    MAILVANE_PROBE_WINDOW="$<TARGET_FILE:mailvane_probe_window>"
    MAILVANE_PROBE_EMPTY="$<TARGET_FILE:mailvane_probe_empty>"
    MAILVANE_PROBE_HTML="$<TARGET_FILE:mailvane_probe_html>")
  add_dependencies(mailvane_bench_startup mailvane_probe_window mailvane_probe_empty
    mailvane_probe_html)
endif()
