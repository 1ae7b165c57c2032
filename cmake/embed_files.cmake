# Writes OUTPUT, a C++ source whose EmbeddedFile(name) gives the bytes of each of
# FILES (a ;-list of paths) under its file name. Run in script mode at build time,
# so that the page of the workbench is part of the program and needs nothing else.
set(body "")
foreach(path ${FILES})
  get_filename_component(name ${path} NAME)
  file(READ ${path} bytes HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
  string(APPEND body "    {\"${name}\", {${bytes}}},\n")
endforeach()
file(WRITE ${OUTPUT}.new
"// Generated from the files of tools/workbench_page by cmake/embed_files.cmake.
#include <map>
#include <string>
#include <vector>

#include \"tools/embedded_files.h\"

std::string EmbeddedFile(const std::string& name) {
  static const std::map<std::string, std::vector<char>> kFiles = {
${body}  };
  auto found = kFiles.find(name);
  return found == kFiles.end() ? std::string() : std::string(found->second.begin(), found->second.end());
}
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
