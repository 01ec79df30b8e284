# Runs the include check on small made-up folders and compares its verdict with the expected
# one. cmake -DCHECK=.../check_includes.cmake -DWORK_DIR=... -P include_check_cases.cmake
cmake_minimum_required(VERSION 3.18)
set(failures "")

# check_case(NAME FOLDER ALLOWED TEXT EXPECT): EXPECT is PASS, or a text the refusal must contain.
function(check_case name folder allowed text expect)
  set(file ${WORK_DIR}/${name}/${folder}/unit.cpp)
  file(WRITE ${file} "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} -DALLOWED=${allowed}
                          -DFILES=${file} -P ${CHECK}
                  RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE output)
  if(expect STREQUAL "PASS")
    if(NOT result EQUAL 0)
      set(failures "${failures}\n${name}: refused an allowed file:\n${output}" PARENT_SCOPE)
    endif()
  elseif(result EQUAL 0)
    set(failures "${failures}\n${name}: passed a wrong-direction include" PARENT_SCOPE)
  else()
    string(FIND "${output}" "${expect}" at)
    if(at EQUAL -1)
      set(failures "${failures}\n${name}: refusal does not name '${expect}':\n${output}" PARENT_SCOPE)
    endif()
  endif()
endfunction()

check_case(OwnAndLowerFolders link "link,common"
           "#include \"link/answer.h\"\n#include \"common/cp1251.h\"\n#include <cstring>\n" PASS)
check_case(UpwardInclude link "link,common"
           "#include \"link/answer.h\"\n#include \"info/info_table.h\"\n" "info/info_table.h")
check_case(IndentedDirective info "info,link,common"
           "  #  include \"ui/skin.h\"\n" "ui/skin.h")
check_case(SiblingFrontEnd cli "cli,terminal,info,link,common"
           "#include \"ui/copy_text.h\"\n" "cli/ may include only")
check_case(RoomIncludesItsParent cli/report "cli/report,link,common"
           "#include \"cli/report/visible_text.h\"\n#include \"cli/commands.h\"\n" "cli/commands.h")
check_case(ParentIncludesNamedRoom cli "cli,cli/report,common"
           "#include \"cli/commands.h\"\n#include \"cli/report/visible_text.h\"\n" PASS)
check_case(ParentIncludesUnnamedRoom cli "cli,common"
           "#include \"cli/report/visible_text.h\"\n" "cli/report/visible_text.h")
check_case(SystemHeaderWithFolder link "link,common" "#include <sys/ioctl.h>\n" PASS)
check_case(HeaderWithoutFolder link "link,common" "#include \"local.h\"\n" PASS)
check_case(CommentedOut link "link,common" "// #include \"info/info_table.h\"\n" PASS)

if(failures)
  message(FATAL_ERROR "include check:${failures}")
endif()
