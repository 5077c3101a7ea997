add_executable(mailvane_bench_text ${CMAKE_CURRENT_LIST_DIR}/bench_text.cpp)
target_link_libraries(mailvane_bench_text PRIVATE mailvane_text mailvane_web benchmark::benchmark)
