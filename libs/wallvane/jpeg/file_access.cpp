// File wrappers of the codec's stream input and output.
#include <stdio.h>

#include "jpeg_decoder.h"

void *JpgFileOpen(const char *name, bool forWriting)
{
    if (!name)
        return nullptr;
    return fopen(name, forWriting ? "w+b" : "rb");
}

int JpgFileClose(void *file)
{
    return fclose(static_cast<FILE *>(file)) == 0;
}

int JpgFileRead(void *file, void *buffer, int count, int *done)
{
    FILE *f = static_cast<FILE *>(file);
    size_t got = fread(buffer, 1, count > 0 ? (size_t)count : 0, f);
    *done = (int)got;
    return !ferror(f);
}

int JpgFileWrite(void *file, const void *buffer, int count, int *done)
{
    size_t put = fwrite(buffer, 1, count > 0 ? (size_t)count : 0, static_cast<FILE *>(file));
    *done = (int)put;
    return put == (size_t)count;
}

int JpgFileSeek(void *file, long distance, int origin)
{
    return fseek(static_cast<FILE *>(file), distance, origin) == 0;
}

long JpgFileTell(void *file)
{
    return ftell(static_cast<FILE *>(file));
}
