# Writes OUTPUT, a C++ source defining LiveViewFiles() over the page files in FOLDER, each as a
# byte array (no raw string, so any content is safe). FILES and FUNCTION give another page's
# files and the function that lists them (the studio's). With -DFUNCTION=ExportedPageFiles, the
# files only the page written by `vintrel show --export-page` needs (the vendored MQTT client,
# FOLDER being third_party/mqtt); a file with a NAME.sha256 beside it must match it.
#   cmake -DFOLDER=... -DOUTPUT=... [-DFILES=A|/a|TYPE,...] [-DFUNCTION=F -DHEADER=H]
#         -P embed_files.cmake
# name|address|type (every type is served with charset=utf-8)
if(DEFINED FILES)
  string(REPLACE "," ";" files "${FILES}")
elseif(FUNCTION STREQUAL "ExportedPageFiles")
  set(files "mqtt.min.js|mqtt.min.js|text/javascript" "LICENSE.md|mqtt.LICENSE.md|text/markdown")
else()
  set(files "index.html|/|text/html" "live-view.js|/live-view.js|text/javascript"
            "live-view.css|/live-view.css|text/css")
endif()
if(NOT DEFINED FUNCTION)
  set(FUNCTION LiveViewFiles)
endif()
if(NOT DEFINED HEADER)
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
  if(EXISTS "${FOLDER}/${name}.sha256")
    file(SHA256 "${FOLDER}/${name}" actual)
    file(READ "${FOLDER}/${name}.sha256" expected)
    string(SUBSTRING "${expected}" 0 64 expected)
    if(NOT actual STREQUAL expected)
      message(FATAL_ERROR "${FOLDER}/${name} is not the file its .sha256 names: run update.sh there")
    endif()
  endif()
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
