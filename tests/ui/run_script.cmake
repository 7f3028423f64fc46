# Runs one golden transcript:
#   cmake -DVELUM=... -DSCRIPT=... -DEXPECTED=... -DSCREEN=WxH -DCARDFILE=... -DWORK=DIR -P run_script.cmake
# The card file is copied into a fresh WORK folder first, so that a script that
# saves never changes the original; settings and the user's folders live there too.
cmake_minimum_required(VERSION 3.20)

foreach(var VELUM SCRIPT EXPECTED SCREEN CARDFILE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_script.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/run ${WORK}/data ${WORK}/config)
file(CHMOD ${WORK}/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(COPY ${CARDFILE} DESTINATION ${WORK})
get_filename_component(card_name ${CARDFILE} NAME)
# The property file beside it (item types, colours) comes along.
get_filename_component(card_base ${CARDFILE} NAME_WLE)
get_filename_component(card_dir ${CARDFILE} DIRECTORY)
if(EXISTS ${card_dir}/${card_base}.vcv)
  file(COPY ${card_dir}/${card_base}.vcv DESTINATION ${WORK})
endif()

set(ENV{VELUM_SETTINGS} ${WORK}/settings.reg)
set(ENV{XDG_RUNTIME_DIR} ${WORK}/run)
set(ENV{XDG_DATA_HOME} ${WORK}/data)
set(ENV{XDG_CONFIG_HOME} ${WORK}/config)

execute_process(
  COMMAND ${VELUM} --script ${SCRIPT} --screen ${SCREEN} ${card_name}
  WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 25)
# Paths name the work folder, which differs between build trees.
string(REPLACE "${WORK}" "<work>" actual "${actual}")
file(WRITE ${WORK}/actual.txt "${actual}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "velum --script ended with ${status}:\n${errors}\n--- output ---\n${actual}")
endif()

file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  execute_process(COMMAND diff -u ${EXPECTED} ${WORK}/actual.txt OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the transcript differs from ${EXPECTED}:\n${difference}")
endif()
