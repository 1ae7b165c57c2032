# CLI11 and nlohmann-json, Debian's header-only libraries, as the targets their
# packages name. A Windows build cannot put the host's /usr/include on its path
# (the host's C library is there), so it gets a folder that holds only these two.
if(WIN32)
  set(host_headers ${PROJECT_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${host_headers})
  foreach(folder CLI nlohmann)
    file(CREATE_LINK /usr/include/${folder} ${host_headers}/${folder} SYMBOLIC)
  endforeach()
  foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
    string(REPLACE "::" "_" name ${target})
    add_library(${name} INTERFACE)
    target_include_directories(${name} SYSTEM INTERFACE ${host_headers})
    add_library(${target} ALIAS ${name})
  endforeach()
else()
  find_package(CLI11 REQUIRED)
  find_package(nlohmann_json REQUIRED)
endif()
