# tw_find_import_library(DLL): sets TW_IMPLIB_<DLL> (cached) to the toolchain's import library for DLL.
function(tw_find_import_library dll)
  find_library(TW_IMPLIB_${dll} NAMES ${dll} NO_CMAKE_ENVIRONMENT_PATH NO_SYSTEM_ENVIRONMENT_PATH)
  if(NOT TW_IMPLIB_${dll})
    message(FATAL_ERROR "no import library for ${dll}")
  endif()
endfunction()

# tw_delay_import(DLL OUT_VAR): makes, at configure time, a delay-import library for DLL (e.g. "winhttp") from
# the toolchain's ordinary import library, and sets OUT_VAR to its path. Same exports, but the DLL is loaded on
# the first call to one of them, by then only from the system folder (see src/app/win32/entry.cpp).
# With TW_NATIVE_DELAYLOAD (lld) it is an ordinary import library that the link delay-loads.
function(tw_delay_import dll out_var)
  tw_find_import_library(${dll})
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  if(TW_NATIVE_DELAYLOAD)
    set(out ${dir}/lib${dll}.llvm.a)
  else()
    set(out ${dir}/lib${dll}.delay.a)
  endif()
  set(${out_var} ${out} PARENT_SCOPE)
  if(EXISTS ${out} AND NOT ${TW_IMPLIB_${dll}} IS_NEWER_THAN ${out}
     AND NOT ${CMAKE_CURRENT_FUNCTION_LIST_FILE} IS_NEWER_THAN ${out})
    return()
  endif()
  execute_process(COMMAND ${CMAKE_NM} -g ${TW_IMPLIB_${dll}} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${CMAKE_NM} ${TW_IMPLIB_${dll}} failed")
  endif()
  # i686 names carry stdcall's @N, which the DLL exports without (dlltool -k); x86-64 names are plain.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(prefix "__imp__")
    set(kill_at -k)
  else()
    set(prefix "__imp_")
    set(kill_at)
  endif()
  string(REGEX MATCHALL " I ${prefix}[^\r\n]+" imports "${symbols}")
  if(NOT imports)
    message(FATAL_ERROR "no imports found in ${TW_IMPLIB_${dll}}")
  endif()
  set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(line ${imports})
    string(REPLACE " I ${prefix}" "" name "${line}")
    string(APPEND def "${name}\n")
  endforeach()
  file(WRITE ${dir}/${dll}.def "${def}")
  if(TW_NATIVE_DELAYLOAD)
    # lld makes delay imports only from import libraries of the short format LLVM's tools write, not from the
    # long one of binutils: an ordinary import library of the same names, from llvm-dlltool. The link then
    # names the DLL (-Wl,--delayload=) and lld writes the stubs, the descriptors and the directory itself.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(machine i386)
    else()
      set(machine i386:x86-64)
    endif()
    execute_process(COMMAND ${TW_LLVM_DLLTOOL} -m ${machine} ${kill_at} -d ${dir}/${dll}.def -D ${dll}.dll -l ${out}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${TW_LLVM_DLLTOOL} could not make ${out}")
    endif()
  else()
    execute_process(COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${dir}/${dll}.def --dllname ${dll}.dll
                            --output-delaylib ${out} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${CMAKE_DLLTOOL} could not make ${out}")
    endif()
    # Each function's member holds its jump thunk and the stub that calls the resolver in one code section.
    # GNU ld (i386) drops the code section of an import-library member when nothing calls its jump thunk,
    # which is the case for every function the Windows headers declare dllimport: the caller goes through
    # the address slot, whose first value then points at a dropped stub and stays 0. Marked as read-only
    # data under a .text$ name, the section is no longer taken for a dead thunk and still lands in the code.
    execute_process(COMMAND ${CMAKE_OBJCOPY} --rename-section ".text=.text$zdl,contents,alloc,load,readonly,data"
                            ${out} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${CMAKE_OBJCOPY} could not rename the stub sections of ${out}")
    endif()
  endif()
  # Ordinary objects of the import library come along (GDI+'s holds the C++ wrapper's static data): those that
  # neither provide an import nor take part in one.
  execute_process(COMMAND ${CMAKE_NM} -A ${TW_IMPLIB_${dll}} OUTPUT_VARIABLE lines)
  string(REGEX MATCHALL "[^\n]+" lines "${lines}")
  set(members)
  set(stubs)
  foreach(line ${lines})
    if(line MATCHES "^[^:]+:([^:]+):")
      set(member ${CMAKE_MATCH_1})
      list(APPEND members ${member})
      if(line MATCHES "__imp_|_head_|_iname")
        list(APPEND stubs ${member})
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES members)
  if(stubs)
    list(REMOVE_ITEM members ${stubs})
  endif()
  if(members)
    file(MAKE_DIRECTORY ${dir}/${dll}.objects)
    execute_process(COMMAND ${CMAKE_AR} x ${TW_IMPLIB_${dll}} ${members} WORKING_DIRECTORY ${dir}/${dll}.objects)
    execute_process(COMMAND ${CMAKE_AR} rs ${out} ${members} WORKING_DIRECTORY ${dir}/${dll}.objects
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "could not add ${members} to ${out}")
    endif()
  endif()
endfunction()

# tw_delay_directory(TARGET): fills the delay-import directory of the linked TARGET from its link map
# (cmake/delay_directory.py), so that the delayed imports are visible as such to Windows' tools.
function(tw_delay_directory target)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -Wl,-Map=${map})
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/delay_directory.py
                             $<TARGET_FILE:${target}> ${map}
                     VERBATIM)
endfunction()
