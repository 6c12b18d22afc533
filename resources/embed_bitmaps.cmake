# Turns every resources/bitmaps/<id>.bmp into a byte array and writes the
# sorted table that bitmapResource() searches.
#   cmake -DBITMAP_DIR=<dir> -DOUTPUT=<file.cpp> -P embed_bitmaps.cmake
get_filename_component(BITMAP_DIR "${BITMAP_DIR}" ABSOLUTE)
file(GLOB files RELATIVE ${BITMAP_DIR} ${BITMAP_DIR}/*.bmp)

# Sort numerically by resource number, not by name.
set(ids "")
foreach(f IN LISTS files)
    string(REGEX MATCH "^([0-9]+)\\.bmp$" ok "${f}")
    if(NOT ok)
        message(FATAL_ERROR "bitmap file name is not a resource number: ${f}")
    endif()
    list(APPEND ids ${CMAKE_MATCH_1})
endforeach()
list(SORT ids COMPARE NATURAL)

set(arrays "")
set(entries "")
foreach(id IN LISTS ids)
    file(READ ${BITMAP_DIR}/${id}.bmp hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # One line per 64 bytes keeps the generated file readable by editors.
    string(REGEX REPLACE "((0x..,){64})" "\\1\n" bytes "${bytes}")
    string(APPEND arrays "constexpr std::uint8_t kBitmap${id}[] = {\n${bytes}\n};\n")
    string(APPEND entries "    {${id}, kBitmap${id}, sizeof kBitmap${id}},\n")
endforeach()

file(WRITE ${OUTPUT}.tmp "// Generated from resources/bitmaps by embed_bitmaps.cmake.
#include \"resources/bitmap_table.h\"

namespace tavolu::resources::detail {

namespace {

${arrays}
constexpr BitmapEntry kTable[] = {
${entries}};

}  // namespace

std::span<const BitmapEntry> bitmapTable() { return kTable; }

}  // namespace tavolu::resources::detail
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
