# Writes the bytes of IN as a C++ array into OUT (the table that native builds embed).
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" n)
math(EXPR count "${n} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" body "${body}")
file(WRITE ${OUT} "// Generated from ${IN}; do not edit.\n#include <cstddef>\n#include <string_view>\n\nnamespace tw {\nnamespace {\nconst unsigned char kBytes[${count} + 1] = {\n${body}0};\n}  // namespace\nstd::string_view EmbeddedTranslateTable() {\n  return {reinterpret_cast<const char*>(kBytes), ${count}};\n}\n}  // namespace tw\n")
