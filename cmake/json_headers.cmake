# The JSON library (Debian nlohmann-json3-dev), header-only, as the target
# nlohmann_json::nlohmann_json for every folder: radio/ writes the radio facts as JSON, cli/
# and the tests the rest. Included before the folders, so each of them can link it.
if(WIN32)
  # The package's target puts the host's /usr/include on the include path, which breaks the
  # MinGW headers; the library is header-only, so its own folder is copied aside instead.
  set(NLOHMANN_HOST_DIR /usr/include/nlohmann)
  if(NOT EXISTS ${NLOHMANN_HOST_DIR}/json.hpp)
    message(FATAL_ERROR "nlohmann-json3-dev is not installed")
  endif()
  file(COPY ${NLOHMANN_HOST_DIR} DESTINATION ${CMAKE_BINARY_DIR}/nlohmann_include)
  add_library(nlohmann_json_headers INTERFACE)
  target_include_directories(nlohmann_json_headers SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/nlohmann_include)
  add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json_headers)
else()
  find_package(nlohmann_json 3 REQUIRED)
endif()
