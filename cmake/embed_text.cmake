# cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=kName -DNAMESPACE=ns -P embed_text.cmake writes a
# source file defining `const char NAME[]` (the text of INPUT, blanks between tags dropped) and
# `const std::size_t NAME##Size`, so a data file travels inside the program.
file(READ ${INPUT} text)
string(REGEX REPLACE ">[ \t\r\n]+<" "><" text "${text}")
string(FIND "${text}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the raw string's closing delimiter")
endif()
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT} by cmake/embed_text.cmake: do not edit.\n"
  "#include <cstddef>\n\nnamespace ${NAMESPACE} {\n\n"
  "extern const char ${NAME}[];\nextern const std::size_t ${NAME}Size;\n"
  "const char ${NAME}[] = R\"embedded(${text})embedded\";\n"
  "const std::size_t ${NAME}Size = sizeof ${NAME} - 1;\n\n}\n")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
