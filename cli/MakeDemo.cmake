# Writes the demo database OUT with the program CLI, unless it exists. The
# file is built under a temporary name and renamed when complete, so an
# interrupted build never leaves a half-made demo behind.
if(EXISTS "${OUT}")
  return()
endif()
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
execute_process(COMMAND "${CLI}" demo "${OUT}.part" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${OUT}.part")
  message(FATAL_ERROR "pardow-cli demo failed: ${result}")
endif()
file(RENAME "${OUT}.part" "${OUT}")
