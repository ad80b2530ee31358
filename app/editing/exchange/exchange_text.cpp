#include "exchange_text.h"

#include <cctype>
#include <cstdio>
#include <cstring>

// Case-blind comparison of ASCII names, the same on every build.
static int CompareNamesBlind(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        int x = std::tolower((unsigned char)a[i]), y = std::tolower((unsigned char)b[i]);
        if (x != y)
            return x - y;
    }
    return 0;
}

void MakeValidFileName(char *name)
{
    if (!name)
        return;
    for (char *p = name; *p; ++p)
        if (std::strchr("\\/:*?\"<>|", *p))
            *p = '_';
}

void AppendTitleHeading(std::string *out, const char *title)
{
    if (!title || !title[0])
        return;
    size_t length = std::strlen(title);
    out->append(title, length);
    out->append("\r\n");
    out->append(length, '-');
    out->append("\r\n");
}

static bool SameFileName(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
            return false;
    return true;
}

static bool NameIsUsed(const std::string &name, const std::vector<std::string> &used)
{
    for (const std::string &u : used)
        if (SameFileName(u, name))
            return true;
    return false;
}

static std::string ValidName(std::string name)
{
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back(0);
    MakeValidFileName(buffer.data());
    return buffer.data();
}

std::string ExportFileNameFor(const char *title, int slot, std::vector<std::string> *usedNames)
{
    char slotText[16];
    std::snprintf(slotText, sizeof slotText, "[%d]", slot);
    std::string base = ValidName(title && title[0] ? std::string(title) : std::string(slotText));
    std::string name = base + ".exp";
    if (usedNames && NameIsUsed(name, *usedNames)) {
        name = base + " " + slotText + ".exp";
        for (int n = 2; NameIsUsed(name, *usedNames); ++n)
            name = base + " " + slotText + "(" + std::to_string(n) + ").exp";
    }
    if (usedNames)
        usedNames->push_back(name);
    return name;
}

bool CommandLineFilePath(const char *commandLine, char *out, size_t size)
{
    if (!commandLine || !out || size == 0)
        return false;
    const char *start = commandLine;
    const char *end;
    const char *quote = std::strchr(commandLine, '"');
    if (quote) {
        start = quote + 1;
        end = std::strchr(start, '"');
        if (!end)
            end = start + std::strlen(start);
    } else {
        while (*start == ' ' || *start == '\t')
            ++start;
        end = start + std::strlen(start);
        while (end > start && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r' || end[-1] == '\n'))
            --end;
    }
    size_t length = (size_t)(end - start);
    if (length == 0 || length >= size)
        return false;
    std::memcpy(out, start, length);
    out[length] = 0;
    return true;
}

static bool IsSlash(char c)
{
    return c == '\\' || c == '/';
}

static bool IsReservedName(const char *name, size_t length)
{
    static const char *const Reserved[] = {"CON",    "PRN",     "AUX",   "NUL",
                                           "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char *r : Reserved)
        if (length == std::strlen(r) && CompareNamesBlind(name, r, length) == 0)
            return true;
    // COM0..COM9 and LPT0..LPT9, and the superscript digits some systems take too.
    if (length == 4 &&
        (CompareNamesBlind(name, "COM", 3) == 0 || CompareNamesBlind(name, "LPT", 3) == 0)) {
        unsigned char d = (unsigned char)name[3];
        return (d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

bool NamesDevice(const char *path)
{
    if (!path)
        return false;
    size_t length = std::strlen(path);
    if (length >= 4 && IsSlash(path[0]) &&
        ((IsSlash(path[1]) && (path[2] == '?' || path[2] == '.') && IsSlash(path[3])) ||
         (path[1] == '?' && path[2] == '?' && IsSlash(path[3]))))
        return true;
    // The last part of the path, up to its first dot, less trailing blanks
    // and dots: "c:\\x\\con .txt" opens the console as "con" does.
    const char *end = path + length;
    while (end > path && end[-1] == ':') // "COM1:" is COM1
        --end;
    const char *name = end;
    while (name > path && !IsSlash(name[-1]) && name[-1] != ':')
        --name;
    size_t stem = 0;
    while (name + stem < end && name[stem] != '.')
        ++stem;
    while (stem > 0 && (name[stem - 1] == ' ' || name[stem - 1] == '.'))
        --stem;
    return IsReservedName(name, stem);
}
