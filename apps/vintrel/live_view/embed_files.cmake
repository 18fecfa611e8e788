# Writes OUTPUT, a C++ source defining LiveViewFiles() over the page files in FOLDER, each as a
# byte array (no raw string, so any content is safe). FILES and FUNCTION give another page's
# files and the function that lists them (the studio's).
#   cmake -DFOLDER=... -DOUTPUT=... [-DFILES=A|/a|TYPE,...] [-DFUNCTION=F -DHEADER=H]
#         -P embed_files.cmake
# name|address|type (every type is served with charset=utf-8)
if(DEFINED FILES)
  string(REPLACE "," ";" files "${FILES}")
else()
  set(files "index.html|/|text/html" "live-view.js|/live-view.js|text/javascript"
            "live-view.css|/live-view.css|text/css")
endif()
if(NOT DEFINED FUNCTION)
  set(FUNCTION LiveViewFiles)
  set(HEADER live_view_files.h)
endif()
set(arrays "")
set(entries "")
set(index 0)
foreach(file IN LISTS files)
  string(REPLACE "|" ";" parts "${file}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  list(GET parts 2 type)
  file(READ "${FOLDER}/${name}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kFile${index}[] = {${bytes}0};\n")
  string(APPEND entries "    {\"${path}\", \"${type}; charset=utf-8\", {reinterpret_cast<const char*>(kFile${index}), ${size}}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from ${FOLDER} by embed_files.cmake; do not edit.
#include \"${HEADER}\"

namespace vintrel::app {
namespace {
${arrays}
const LiveViewFile kFiles[] = {
${entries}};
}  // namespace

std::span<const LiveViewFile> ${FUNCTION}() { return kFiles; }

}  // namespace vintrel::app
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
