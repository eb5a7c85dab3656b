# Builds the probes of one library: SEEN must compile; each HIDDEN probe
# (probe=header, comma-separated) must fail because its header is not found.

function(build target out_result out_log)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
                  RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_log} "${log}" PARENT_SCOPE)
endfunction()

set(failures 0)
build(${SEEN} result log)
if(NOT result EQUAL 0)
  message("${SEEN}: the headers of the linked libraries do not compile:\n${log}")
  math(EXPR failures "${failures} + 1")
endif()

string(REPLACE "," ";" hidden "${HIDDEN}")
foreach(pair ${hidden})
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 probe)
  list(GET pair 1 header)
  build(${probe} result log)
  string(REPLACE "." "\\." pattern "${header}")
  if(result EQUAL 0)
    message("${probe}: ${header} compiles, though its library is not linked")
    math(EXPR failures "${failures} + 1")
  elseif(NOT log MATCHES "${pattern}(: No such file|' file not found)")
    message("${probe}: failed for another reason than a missing ${header}:\n${log}")
    math(EXPR failures "${failures} + 1")
  else()
    message("${probe}: ${header} not found, as it should be")
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include probe(s) wrong")
endif()
