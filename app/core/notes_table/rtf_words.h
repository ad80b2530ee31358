// The letters, digits and words of RTF, for the readers of rich text from
// outside (the check and the door). No windows.h.
#pragma once
#include <cstddef>
#include <cstring>

namespace rtf {

inline bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool StartsWith(const char *text, size_t bytes, const char *prefix)
{
    size_t length = std::strlen(prefix);
    return bytes >= length && std::memcmp(text, prefix, length) == 0;
}

// Whether the letters of a control word are the word name.
inline bool IsWord(const char *word, size_t letters, const char *name)
{
    return letters == std::strlen(name) && std::memcmp(word, name, letters) == 0;
}

// Whether they are one of a null-ended list of names.
inline bool IsOneOf(const char *word, size_t letters, const char *const *names)
{
    for (; *names; ++names)
        if (IsWord(word, letters, *names))
            return true;
    return false;
}

} // namespace rtf
