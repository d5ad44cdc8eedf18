# cmake -DOUTPUT=<file.cpp> -DINPUTS=<a|b|...> -P EmbedText.cmake
# Writes a C++ source defining Modes::Data::familyTexts(): the text of each input file, in the
# order given, so that the program needs no data file at run time.
string(REPLACE "|" ";" inputs "${INPUTS}")
set(body "")
foreach(input IN LISTS inputs)
  file(READ "${input}" text)
  string(FIND "${text}" ")tavorin\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${input} holds the raw-string delimiter")
  endif()
  string(APPEND body "    R\"tavorin(${text})tavorin\",\n")
endforeach()
file(WRITE "${OUTPUT}.new"
"// Generated from modes/sets at build time; edit those files instead.
#include \"modes/ModeSetData.h\"

namespace Modes::Data {

std::span<const std::string_view> familyTexts() {
    static constexpr std::string_view kTexts[] = {
${body}    };
    return kTexts;
}

}  // namespace Modes::Data
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
