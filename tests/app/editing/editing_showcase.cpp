// Shows a note of coloured C code and a note in calculator mode, for a
// screenshot: editing_showcase <syntax.cfg> <seconds>.
#include <windows.h>
#include <richedit.h>

#include <cstdlib>

#include "editing/calculator_note.h"
#include "editing/syntax_config.h"
#include "editing/syntax_richedit.h"

#define NOTE_COLOUR RGB(255, 255, 170)

static HWND CreateNote(const char *title, int x, int y, int width, int height)
{
    HWND note = CreateWindowExA(0, "ShowcaseNote", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                                width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    RECT client;
    GetClientRect(note, &client);
    HWND edit = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0,
                                client.right, client.bottom, note, (HMENU)1,
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(edit, EM_SETBKGNDCOLOR, 0, NOTE_COLOUR);
    return note;
}

static void SetPlainText(HWND edit, const char *text)
{
    SetWindowTextA(edit, text);
    CHARFORMAT2A plain = {};
    plain.cbSize = sizeof plain;
    plain.dwMask = CFM_BOLD | CFM_COLOR | CFM_FACE | CFM_SIZE;
    plain.yHeight = 200;
    lstrcpyA(plain.szFaceName, "Courier New");
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&plain);
}

int main(int argc, char **argv)
{
    if (argc < 3 || !LoadLibraryA("RICHED32.DLL") || LoadSyntaxConfig(argv[1]) != 0)
        return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(NOTE_COLOUR);
    wc.lpszClassName = "ShowcaseNote";
    RegisterClassA(&wc);

    HWND code = CreateNote("C code", 20, 20, 520, 420);
    HWND codeEdit = GetDlgItem(code, 1);
    SetPlainText(codeEdit, "#include <stdio.h>\r\n"
                           "\r\n"
                           "/* Counts the words of a line. */\r\n"
                           "static int CountWords(const char *s)\r\n"
                           "{\r\n"
                           "    int words = 0, inWord = 0;\r\n"
                           "    for (; *s; s++) {\r\n"
                           "        if (*s == ' ' || *s == '\\t')\r\n"
                           "            inWord = 0;\r\n"
                           "        else if (!inWord) {\r\n"
                           "            inWord = 1;\r\n"
                           "            words++; // a new word\r\n"
                           "        }\r\n"
                           "    }\r\n"
                           "    return words;\r\n"
                           "}\r\n"
                           "\r\n"
                           "int main(void)\r\n"
                           "{\r\n"
                           "    printf(\"%d words\\n\", CountWords(\"say \\\"hi\\\" twice\"));\r\n"
                           "    return 0;\r\n"
                           "}");
    SyntaxFormatRange(codeEdit, 0, 0, -1, NOTE_COLOUR);
    CHARRANGE start = {0, 0};
    SendMessageA(codeEdit, EM_EXSETSEL, 0, (LPARAM)&start);

    HWND calc = CreateNote("Calculator mode", 560, 20, 420, 520);
    HWND calcEdit = GetDlgItem(calc, 1);
    SetPlainText(calcEdit, "");
    const char *lines[] = {"1 + 2 << 3", "2 ** 10 / 4", "x = 5", "x * 2", "rtod(pi)",
                           "sqrt(2)", "hex", "255 | 0x100", "bin", "5", "dec", "mod(17, 5)",
                           "1;", "y + 1"};
    for (const char *line : lines) {
        SendMessageA(calcEdit, EM_REPLACESEL, TRUE, (LPARAM)line);
        RunEditTextOp(calc);
        SendMessageA(calcEdit, EM_REPLACESEL, TRUE, (LPARAM) "\r");
    }

    DWORD until = GetTickCount() + (DWORD)atoi(argv[2]) * 1000;
    while (GetTickCount() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
    FreeSyntaxConfig();
    return 0;
}
