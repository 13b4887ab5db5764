#pragma once

#include <cstddef>

// Private to the framework and its tests: the sizes TextInputStream works
// with. Tests shrink them to reach block boundaries and the longest line
// with small files. A stream takes the values when it is opened.
struct TextInputStreamTuning {
    std::size_t blockSize;     // bytes read at a time, more for a longer line
    std::size_t longestLine;   // bytes; a longer line raises IOException

    static TextInputStreamTuning Default();
};

TextInputStreamTuning StreamTuning();
void StreamTuning(TextInputStreamTuning tuning);
