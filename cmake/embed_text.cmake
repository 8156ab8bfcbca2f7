# Writes OUTPUT, a C++ source whose function FUNCTION (in namespace quorvane,
# declared in HEADER) returns the text of INPUT as it is, so that one .exe
# carries a data file the program reads. Run as a script (cmake -P) at build
# time, by the host's own CMake, so it serves native and cross builds alike.
#
# Each line becomes a raw string literal of its own, the literals joined by
# the compiler: MSVC refuses a single literal longer than 16 KB.

foreach(required INPUT OUTPUT FUNCTION HEADER)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "embed_text.cmake needs -D${required}=...")
    endif()
endforeach()

file(READ "${INPUT}" text)
string(REPLACE "\r" "" text "${text}")
set(delimiter "quorvane_text")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT} holds )${delimiter}\", which would end its literal early")
endif()
string(REPLACE "\n" "\n)${delimiter}\"\n        R\"${delimiter}(" lines "${text}")

file(WRITE "${OUTPUT}"
"// Made by cmake/embed_text.cmake from ${INPUT}: edit that file, not this.
#include \"${HEADER}\"

namespace quorvane {

std::string_view ${FUNCTION}() {
    return R\"${delimiter}(${lines})${delimiter}\";
}

} // namespace quorvane
")
