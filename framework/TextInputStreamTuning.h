#pragma once

#include <cstddef>

// Private to the framework and its tests: the sizes TextInputStream works
// with. Tests shrink them to reach block boundaries, the longest line and
// the largest file with small files. A stream takes the values when it is
// opened.
struct TextInputStreamTuning {
    // Far beyond any list of words: what is larger is not one, and reading it
    // would only fill the memory (a video chosen by mistake, /proc files
    // that never end).
    static constexpr std::size_t kLargestFile = std::size_t(64) << 20;

    std::size_t blockSize;     // bytes read at a time, more for a longer line
    std::size_t longestLine;   // bytes; a longer line raises IOException
    // Bytes; a larger file is refused when it is opened, and reading stops
    // about here (within a block) when a file turns out longer than its size
    // said.
    std::size_t largestFile = kLargestFile;

    static TextInputStreamTuning Default();
};

TextInputStreamTuning StreamTuning();
void StreamTuning(TextInputStreamTuning tuning);
