# Fails when a source file of src/ includes a header by a relative path that
# leaves its folder ("../"), past the include folders of its library.
file(GLOB_RECURSE sources ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(found 0)
foreach(source ${sources})
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\./")
  foreach(line ${lines})
    message("${source}: ${line}")
    math(EXPR found "${found} + 1")
  endforeach()
endforeach()
if(found GREATER 0)
  message(FATAL_ERROR "${found} relative include(s) reach out of their folder")
endif()
