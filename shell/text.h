// Writing texts into the host's buffers, which come without a length: every
// text is cut to the size the interface promises for that buffer.
#pragma once

#include <cstddef>
#include <cstring>

namespace tavolu {

// Copies `source` into `dest`, at most size - 1 characters and the terminator.
inline void copyText(char* dest, const char* source, std::size_t size) {
    const std::size_t length = strnlen(source, size - 1);
    std::memcpy(dest, source, length);
    dest[length] = '\0';
}

}  // namespace tavolu
