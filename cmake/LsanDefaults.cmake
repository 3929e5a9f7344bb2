# In the sanitizer build every program carries the leak suppressions of tests/lsan.supp itself
# (LeakSanitizer asks the program for them at exit), so a program started by hand does not end
# with a report about what the system's libraries (D-Bus, fontconfig, X) keep for the process.
# One list: the file is turned into the source below when CMake configures.
set(_supp ${CMAKE_SOURCE_DIR}/tests/lsan.supp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_supp})
file(STRINGS ${_supp} _lines REGEX "^[a-z_]+:")
set(_text "")
foreach(_l ${_lines})
  string(APPEND _text "${_l}\\n")
endforeach()
set(QEL_LSAN_DEFAULTS ${CMAKE_BINARY_DIR}/lsan_default_suppressions.cpp)
file(CONFIGURE OUTPUT ${QEL_LSAN_DEFAULTS} CONTENT
"// Made by cmake/LsanDefaults.cmake from tests/lsan.supp.
extern \"C\" const char* __lsan_default_suppressions() {
    return \"${_text}\";
}
")

# Every program of the project goes through here.
function(qel_program target)
  if(QEL_SANITIZE)
    target_sources(${target} PRIVATE ${QEL_LSAN_DEFAULTS})
  endif()
endfunction()
