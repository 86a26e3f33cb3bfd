# cmake -DINPUT=file -DOUTPUT=file.cpp -P EmbedFile.cmake
# Writes the bytes of INPUT as the array trv::kLaughJpeg (see LaughPicture.h).
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# 24 bytes a line keeps the generated file readable in a debugger.
string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from laugh.jpg at build time; do not edit.
#include \"ui/picture/LaughPicture.h\"

namespace trv {

const unsigned char kLaughJpeg[] = {
    ${bytes}
};
const std::size_t kLaughJpegSize = ${size};

}  // namespace trv
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
