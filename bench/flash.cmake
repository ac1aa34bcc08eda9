# The flash patch stage (unlock, erase, write, verify, FIS entry) of one
# partition on the simulated flash, against dd + cmp of the same image.
file(GLOB FLASH_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/updater/flash_*.cpp)
vorl_add_bench(flash_patch SOURCES ${CMAKE_CURRENT_LIST_DIR}/flash_patch.cpp
               ${CMAKE_CURRENT_LIST_DIR}/flash_patch_support.cpp ${FLASH_BENCH_SOURCES}
               ${PROJECT_SOURCE_DIR}/updater/run_state.cpp
               ${PROJECT_SOURCE_DIR}/updater/layout_tables.cpp
               LIBS vorlsim vorlsim_preload)
target_include_directories(flash_patch PRIVATE ${PROJECT_SOURCE_DIR}/updater)
