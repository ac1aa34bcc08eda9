# SzHash and SzList against the standard containers.
vorl_add_bench(core_containers SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_containers.cpp)
