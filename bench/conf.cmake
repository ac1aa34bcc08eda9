# Reading one key of, and rewriting, a 5,000-line key="value" file.
vorl_add_bench(conf_keyvalue SOURCES ${CMAKE_CURRENT_LIST_DIR}/conf_keyvalue.cpp LIBS dl)
