# Every source file reports failures under its own name with the extension
# ".c" ("file_get_key_value.c"): give each one a VORL_SRC definition.
function(vorl_name_sources target)
  get_target_property(srcs ${target} SOURCES)
  foreach(src IN LISTS srcs)
    get_filename_component(stem ${src} NAME_WE)
    set_property(SOURCE ${src} TARGET_DIRECTORY ${target}
                 APPEND PROPERTY COMPILE_DEFINITIONS "VORL_SRC=\"${stem}.c\"")
  endforeach()
endfunction()
