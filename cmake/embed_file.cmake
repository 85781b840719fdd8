# Turns one committed text file into a C++ source with a function that returns its bytes:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DFUNCTION=Name -DHEADER=dir/header.h -P embed_file.cmake
# Line ends become "\n" whatever the checkout made of them, so the program's output is the same
# on every platform. The bytes are written as numbers: no text can end a string literal early,
# and no compiler limit on the length of a literal applies.
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(HEX "${text}" hex)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes to a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
       "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new"
"// Made at build time from ${name} by cmake/embed_file.cmake; do not edit.
#include \"${HEADER}\"

namespace gvde {
namespace {

// One byte more than the file, so that an empty file is an array too.
constexpr unsigned char kBytes[] = {
${bytes}0x00};

}  // namespace

std::string_view ${FUNCTION}() { return {reinterpret_cast<const char*>(kBytes), ${size}}; }

}  // namespace gvde
")
# An unchanged source keeps its time, so nothing that depends on it is rebuilt.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
