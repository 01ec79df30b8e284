# The option grammar's library (Debian libcli11-dev), header-only, as the target cli11_headers;
# only cli/grammar/ links it. For the Windows build the package's include path would put the
# host's /usr/include before the MinGW headers, so its own folder is copied aside.
if(WIN32)
  if(NOT EXISTS /usr/include/CLI/CLI.hpp)
    message(FATAL_ERROR "libcli11-dev is not installed")
  endif()
  file(COPY /usr/include/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11_include)
  set(CLI11_INCLUDE_DIR ${CMAKE_BINARY_DIR}/cli11_include)
else()
  find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED)
endif()
add_library(cli11_headers INTERFACE)
target_include_directories(cli11_headers SYSTEM INTERFACE ${CLI11_INCLUDE_DIR})
