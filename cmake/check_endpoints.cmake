# The shipped program asks its service and opens its own links over https only: a plain-http address would let
# anyone on the path answer an elevated process. Test builds (TEMPOWAVE_TEST_ENDPOINTS, set by the loopback
# presets) point them at plain-http loopback stand-ins.
# Included by the root CMakeLists.txt; also runs as a script for its own test:
#   cmake -DTEMPOWAVE_UPDATE_URL=... -DTEMPOWAVE_LINK_HOST=... [-DTEMPOWAVE_TEST_ENDPOINTS=ON] -P check_endpoints.cmake
function(tw_check_endpoints)
  if(TEMPOWAVE_TEST_ENDPOINTS)
    return()
  endif()
  foreach(var TEMPOWAVE_UPDATE_URL TEMPOWAVE_LINK_HOST)
    string(TOLOWER "${${var}}" value)
    if(NOT value MATCHES "^https://[^/?#]")
      message(FATAL_ERROR "${var} is \"${${var}}\": the shipped program needs an https:// address "
                          "(test builds set TEMPOWAVE_TEST_ENDPOINTS=ON)")
    endif()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  tw_check_endpoints()
endif()
