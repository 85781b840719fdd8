# Writes a program's man page (and its gzip-compressed copy) and its shell completions into
# DIR, as the program prints them from its option table:
#   cmake -DPROGRAM=path -DNAME=gvde-cli -DDIR=dir -DGZIP=gzip -P generate_texts.cmake
set(outputs man=man/${NAME}.1 bash=bash-completion/${NAME} zsh=zsh/_${NAME} fish=fish/${NAME}.fish)
foreach(output IN LISTS outputs)
  string(REPLACE "=" ";" pair "${output}")
  list(GET pair 0 kind)
  list(GET pair 1 file)
  get_filename_component(folder "${DIR}/${file}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  execute_process(COMMAND "${PROGRAM}" --generate ${kind} OUTPUT_FILE "${DIR}/${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --generate ${kind} failed: ${status}")
  endif()
endforeach()
# -n: no name or time in the header, so the same page compresses to the same bytes.
execute_process(COMMAND "${GZIP}" -9 -n -c "${DIR}/man/${NAME}.1" OUTPUT_FILE "${DIR}/man/${NAME}.1.gz"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip of ${DIR}/man/${NAME}.1 failed: ${status}")
endif()
