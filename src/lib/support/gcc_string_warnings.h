#pragma once

// GCC 12 at -O3 warns that std::string's own insert and replace may copy overlapping memory
// (-Wrestrict, and -Wstringop-overflow beside it) when a string is built from a literal: "#" +
// text, s = " ". It is a known false positive of that compiler's flow analysis (GCC bugs 105329
// and 105651, mended in GCC 13); the lines it names are plain string building. These bracket
// such a line, and only that line, so every other warning stays on.
#if defined(__GNUC__) && !defined(__clang__)
#define KPX_GCC_STRING_FALSE_POSITIVE_BEGIN                                         \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wrestrict\"") \
        _Pragma("GCC diagnostic ignored \"-Wstringop-overflow\"")
#define KPX_GCC_STRING_FALSE_POSITIVE_END _Pragma("GCC diagnostic pop")
#else
#define KPX_GCC_STRING_FALSE_POSITIVE_BEGIN
#define KPX_GCC_STRING_FALSE_POSITIVE_END
#endif
