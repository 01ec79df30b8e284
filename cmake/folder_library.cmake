# One static library per folder of the program, and a check that the folder's files include
# only the folders below it. Every include names its folder from the repository root
# ("link/answer.h"), so a shared include path alone cannot refuse a wrong-direction include;
# the check runs before the library compiles and fails the build instead.

set(VESMARIN_INCLUDE_CHECK ${CMAKE_CURRENT_LIST_DIR}/check_includes.cmake)

# vesmarin_folder_library(TARGET FOLDER MAY_INCLUDE folders... SOURCES files...)
# FOLDER is relative to the repository root; its own folder is always allowed.
function(vesmarin_folder_library target)
  cmake_parse_arguments(ARG "" "FOLDER" "MAY_INCLUDE;SOURCES" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  vesmarin_check_includes(${target} ${ARG_FOLDER} ${ARG_FOLDER} ${ARG_MAY_INCLUDE})
endfunction()

# vesmarin_check_includes(TARGET FOLDER ALLOWED...): TARGET builds only after every file of
# FOLDER passed; a file added to or changed in the folder is checked again.
function(vesmarin_check_includes target folder)
  file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h
       ${PROJECT_SOURCE_DIR}/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/${folder}/*.in)
  string(REPLACE ";" "," allowed "${ARGN}")
  string(REPLACE ";" "," file_list "${files}")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
  add_custom_command(OUTPUT ${stamp}
                     COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} -DALLOWED=${allowed}
                             -DFILES=${file_list} -P ${VESMARIN_INCLUDE_CHECK}
                     COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                     DEPENDS ${files} ${VESMARIN_INCLUDE_CHECK}
                     COMMENT "Checking the includes of ${folder}/" VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()
