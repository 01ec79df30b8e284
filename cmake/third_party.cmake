# The header-only libraries the command line uses: nlohmann-json (the JSON of every --json
# and of the reading processes' messages) and CLI11 (the option grammar), both from Debian.
# For the Windows build their packages' targets would put the host's /usr/include on the
# include path, which breaks the MinGW headers, so their own folders are copied aside.
if(WIN32)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    message(FATAL_ERROR "nlohmann-json3-dev is not installed")
  endif()
  file(COPY /usr/include/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/nlohmann_include)
  add_library(nlohmann_json_headers INTERFACE)
  target_include_directories(nlohmann_json_headers SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/nlohmann_include)
  add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json_headers)
  if(NOT EXISTS /usr/include/CLI/CLI.hpp)
    message(FATAL_ERROR "libcli11-dev is not installed")
  endif()
  file(COPY /usr/include/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11_include)
  set(CLI11_INCLUDE_DIR ${CMAKE_BINARY_DIR}/cli11_include)
else()
  find_package(nlohmann_json 3 REQUIRED)
  find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED)
endif()
add_library(cli11_headers INTERFACE)
target_include_directories(cli11_headers SYSTEM INTERFACE ${CLI11_INCLUDE_DIR})
