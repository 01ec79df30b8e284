# cmake -DFOLDER=link -DALLOWED=link,common -DFILES=a.cpp,b.h -P check_includes.cmake
# Fails, naming every offending line, when a file includes a project header from a folder
# outside ALLOWED. The folder is the whole directory of the include ("cli/report" for
# "cli/report/x.h"), so a room inside a folder is a library of its own and its parent must
# name it. System headers (<...>) and includes without a folder are not judged.
cmake_minimum_required(VERSION 3.18)
string(REPLACE "," ";" allowed "${ALLOWED}")
string(REPLACE "," ";" files "${FILES}")
set(faults "")
foreach(file IN LISTS files)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    if(line MATCHES "\"([^\"]+)/[^\"/]*\"")
      set(included_folder ${CMAKE_MATCH_1})
      if(NOT included_folder IN_LIST allowed)
        string(STRIP "${line}" line)
        string(APPEND faults "\n  ${file}: ${line}")
      endif()
    endif()
  endforeach()
endforeach()
if(faults)
  string(REPLACE ";" ", " allowed_text "${allowed}")
  message(FATAL_ERROR "${FOLDER}/ may include only ${allowed_text}:${faults}")
endif()
