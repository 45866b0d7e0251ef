# One table of exports per DLL (lines "ordinal name argument-bytes", # comments) gives
# everything that must agree with it, so names, ordinals and stdcall sizes cannot drift apart:
#
#   <dll>.def          the DLL's exports with their ordinals ("Name@bytes @ordinal"); the DLL is
#                      linked with --kill-at so the exported names are undecorated, and the
#                      linker refuses a function whose stdcall size differs from the table.
#                      x64 has one calling convention and no decoration: there the names go
#                      as they are ("Name @ordinal") and only the ordinals are checked;
#   <dll>-noname.def   the same with every export NONAME, from which dlltool makes
#                      lib<dll>.a: callers linked with it import by ordinal;
#   <dll>_exports.inc  rows EXPORT_ROW(ordinal, name, bytes) for tests (all builds).
#
# vlox_dll_export_table(<dll-target> TABLE <file>) adds the .def to a SHARED target (win32
# builds) and defines the INTERFACE targets <dll-target>_imports (link with it to import by
# ordinal; it also builds the DLL) and <dll-target>_export_table (include "<dll>_exports.inc").
include_guard(GLOBAL)

# Rewrites a file only when its text changes, so an unchanged table rebuilds nothing.
function(_vlox_write_if_changed path text)
  file(WRITE "${path}.tmp" "${text}")
  configure_file("${path}.tmp" "${path}" COPYONLY)
endfunction()

function(vlox_dll_export_table dll)
  cmake_parse_arguments(E "" "TABLE" "" ${ARGN})
  get_filename_component(table "${E_TABLE}" ABSOLUTE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${table}")
  file(STRINGS "${table}" lines)

  set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
  set(noname "LIBRARY ${dll}.dll\nEXPORTS\n")
  set(inc "// Made from ${E_TABLE} by ExportTable.cmake: EXPORT_ROW(ordinal, name, bytes).\n")
  set(seen_names "")
  set(seen_ordinals "")
  # The stdcall decoration exists on 32-bit x86 only.
  set(decorate OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(decorate ON)
  endif()
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+)[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]+([0-9]+)$")
      message(FATAL_ERROR "${table}: bad export line '${line}'")
    endif()
    set(ordinal ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    set(bytes ${CMAKE_MATCH_3})
    math(EXPR rest "${bytes} % 4")
    if(NOT rest EQUAL 0)
      message(FATAL_ERROR "${table}: ${name} has ${bytes} argument bytes, not a multiple of 4")
    endif()
    if(name IN_LIST seen_names OR ordinal IN_LIST seen_ordinals)
      message(FATAL_ERROR "${table}: ${name} @${ordinal} repeats a name or an ordinal")
    endif()
    list(APPEND seen_names ${name})
    list(APPEND seen_ordinals ${ordinal})
    set(symbol "${name}")
    if(decorate)
      set(symbol "${name}@${bytes}")
    endif()
    string(APPEND def "    ${symbol} @${ordinal}\n")
    string(APPEND noname "    ${symbol} @${ordinal} NONAME\n")
    string(APPEND inc "EXPORT_ROW(${ordinal}, ${name}, ${bytes})\n")
  endforeach()

  set(out "${CMAKE_CURRENT_BINARY_DIR}/exports")
  _vlox_write_if_changed("${out}/${dll}_exports.inc" "${inc}")
  add_library(${dll}_export_table INTERFACE)
  target_include_directories(${dll}_export_table INTERFACE "${out}")

  if(NOT WIN32)
    return()
  endif()
  _vlox_write_if_changed("${out}/${dll}.def" "${def}")
  _vlox_write_if_changed("${out}/${dll}-noname.def" "${noname}")
  target_sources(${dll} PRIVATE "${out}/${dll}.def")
  target_link_options(${dll} PRIVATE -Wl,--kill-at)
  set_target_properties(${dll} PROPERTIES PREFIX "" OUTPUT_NAME ${dll})

  set(implib "${out}/lib${dll}.a")
  add_custom_command(OUTPUT "${implib}"
    COMMAND ${CMAKE_DLLTOOL} -k -d "${out}/${dll}-noname.def" -D ${dll}.dll -l "${implib}"
    DEPENDS "${out}/${dll}-noname.def"
    COMMENT "Import library of ${dll}.dll (by ordinal)")
  add_custom_target(${dll}_implib DEPENDS "${implib}")
  add_library(${dll}_imports INTERFACE)
  target_include_directories(${dll}_imports INTERFACE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${dll}_imports INTERFACE "${implib}")
  add_dependencies(${dll}_imports ${dll}_implib ${dll})
endfunction()
