# Record store: 10,000 inserts into a fresh store, 10,000 random gets.
vorl_add_bench(bdb_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/bdb_bench.cpp)
