#include "check_list_stream.h"

int TakeCheckListBytes(FILE *file, ByteBuffer *bytes)
{
    bytes->clear();
    for (;;) {
        int flag = std::getc(file);
        if (flag == EOF)
            return NOTE_TEXT_CUT;
        bytes->push_back((uint8_t)flag);
        if (flag == 0)
            return NOTE_TEXT_WHOLE;
        int separator = std::getc(file);
        if (separator == EOF)
            return NOTE_TEXT_CUT;
        bytes->push_back((uint8_t)separator);
        size_t kept = 0;
        int c;
        while ((c = std::getc(file)) != EOF && c != 0) {
            if (kept++ < CHECK_LIST_TEXT_CHARS)
                bytes->push_back((uint8_t)c);
        }
        if (c == EOF)
            return NOTE_TEXT_CUT;
        bytes->push_back(0);
    }
}
