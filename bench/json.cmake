# JsonObject reading an inbox answer, beside nlohmann reading the same answer.
add_executable(mailvane_bench_json ${CMAKE_CURRENT_LIST_DIR}/bench_json.cpp)
target_link_libraries(mailvane_bench_json PRIVATE mailvane_script mailvane_text
  nlohmann_json::nlohmann_json benchmark::benchmark)
