// Every label of every dialog the program and its libraries carry (static
// texts, and the texts of buttons, check boxes and group boxes), measured in
// the dialog's own font against the room its control gives it: a text that
// does not fit is cut off on the screen ("Back Ground Colour" showing as
// "Back Ground").
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

// One control of a dialog template.
struct TemplateItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    WORD classOrdinal = 0; // 0x80 button, 0x82 static, ... 0 for a named class
    std::string className;
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    std::vector<TemplateItem> items;
    // The template with no controls, no menu and no class: a dialog made
    // from it has the font and dialog units of the real one.
    std::vector<BYTE> bare;
};

// Reads the templates windres writes (DIALOG and DIALOGEX) from the
// resource bytes, checking every length against what is there.
class TemplateReader {
public:
    TemplateReader(const BYTE *data, size_t size) : data(data), size(size) {}
    bool Word(WORD *out)
    {
        if (at + 2 > size)
            return false;
        std::memcpy(out, data + at, 2);
        at += 2;
        return true;
    }
    bool Dword(DWORD *out)
    {
        if (at + 4 > size)
            return false;
        std::memcpy(out, data + at, 4);
        at += 4;
        return true;
    }
    bool Short(short *out) { return Word((WORD *)out); }
    // A wide string ended by a zero; returned as 8-bit text.
    bool String(std::string *out)
    {
        out->clear();
        for (;;) {
            WORD c;
            if (!Word(&c))
                return false;
            if (!c)
                return true;
            out->push_back(c < 256 ? (char)c : '?');
        }
    }
    // 0x0000 none, 0xFFFF then an ordinal, else a string.
    bool OrdinalOrString(WORD *ordinal, std::string *text)
    {
        *ordinal = 0;
        text->clear();
        WORD first;
        if (!Word(&first))
            return false;
        if (first == 0)
            return true;
        if (first == 0xFFFF)
            return Word(ordinal);
        at -= 2;
        return String(text);
    }
    void AlignDword() { at = (at + 3) & ~(size_t)3; }
    size_t Offset() const { return at; }

private:
    const BYTE *data;
    size_t size;
    size_t at = 0;
};

bool ReadTemplate(const BYTE *data, size_t size, DialogTemplate *out)
{
    TemplateReader r(data, size);
    WORD version = 0, signature = 0;
    if (!r.Word(&version) || !r.Word(&signature))
        return false;
    bool extended = version == 1 && signature == 0xFFFF;
    DWORD style = 0, exStyle = 0, helpId = 0;
    WORD count = 0;
    short x, y, cx, cy;
    TemplateReader h(data, size);
    if (extended) {
        if (!r.Dword(&helpId) || !r.Dword(&exStyle) || !r.Dword(&style))
            return false;
    } else {
        if (!h.Dword(&style) || !h.Dword(&exStyle))
            return false;
        r = h;
    }
    if (!r.Word(&count) || !r.Short(&x) || !r.Short(&y) || !r.Short(&cx) || !r.Short(&cy))
        return false;
    size_t countOffset = r.Offset() - 10;
    WORD ordinal;
    std::string text;
    size_t menuOffset = r.Offset();
    if (!r.OrdinalOrString(&ordinal, &text)) // menu
        return false;
    size_t menuEnd = r.Offset();
    if (!r.OrdinalOrString(&ordinal, &text)) // class
        return false;
    size_t classEnd = r.Offset();
    if (!r.String(&text)) // caption
        return false;
    if (style & DS_SETFONT) {
        WORD points, weight;
        std::string face;
        if (!r.Word(&points))
            return false;
        if (extended && (!r.Word(&weight) || !r.Word(&points /* italic, charset */)))
            return false;
        if (!r.String(&face))
            return false;
    }
    size_t headerEnd = r.Offset();
    out->style = style;
    // The bare copy: no controls, no menu, no class, never visible.
    out->bare.assign(data, data + menuOffset);
    out->bare.push_back(0);
    out->bare.push_back(0);
    out->bare.push_back(0);
    out->bare.push_back(0);
    out->bare.insert(out->bare.end(), data + classEnd, data + headerEnd);
    WORD none = 0;
    std::memcpy(out->bare.data() + countOffset, &none, 2);
    DWORD hidden = style & ~WS_VISIBLE;
    std::memcpy(out->bare.data() + (extended ? 12 : 0), &hidden, 4);
    (void)menuEnd;

    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        TemplateItem item;
        DWORD itemHelp, itemEx;
        if (extended) {
            if (!r.Dword(&itemHelp) || !r.Dword(&itemEx) || !r.Dword(&item.style))
                return false;
        } else {
            if (!r.Dword(&item.style) || !r.Dword(&itemEx))
                return false;
        }
        if (!r.Short(&item.x) || !r.Short(&item.y) || !r.Short(&item.cx) || !r.Short(&item.cy))
            return false;
        if (extended) {
            if (!r.Dword(&item.id))
                return false;
        } else {
            WORD id;
            if (!r.Word(&id))
                return false;
            item.id = id;
        }
        WORD titleOrdinal;
        if (!r.OrdinalOrString(&item.classOrdinal, &item.className) ||
            !r.OrdinalOrString(&titleOrdinal, &item.text))
            return false;
        WORD extra;
        if (!r.Word(&extra))
            return false;
        for (WORD b = 0; b < extra; ++b) {
            WORD skip;
            if (b % 2 == 0 && !r.Word(&skip))
                return false;
        }
        out->items.push_back(item);
    }
    return true;
}

// How a control lays out its text: the room it leaves for it and the
// DrawText flags it uses. Controls without text of their own are left out.
struct TextBox {
    int width, height;
    UINT flags;
};

bool IsClass(const TemplateItem &item, WORD ordinal, const char *name)
{
    return item.classOrdinal == ordinal || _stricmp(item.className.c_str(), name) == 0;
}

bool TextBoxOf(const TemplateItem &item, int width, int height, TextBox *box)
{
    if (item.text.empty())
        return false;
    UINT prefix = 0;
    if (IsClass(item, 0x82, "Static")) {
        UINT type = item.style & SS_TYPEMASK;
        bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        if (!wraps && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)
            return false;
        prefix = item.style & SS_NOPREFIX ? DT_NOPREFIX : 0;
        *box = {width, height, prefix | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE)};
        return true;
    }
    if (!IsClass(item, 0x80, "Button"))
        return false;
    UINT lines = item.style & BS_MULTILINE ? DT_WORDBREAK : DT_SINGLELINE;
    UINT type = item.style & BS_TYPEMASK;
    if (item.style & BS_PUSHLIKE)
        type = BS_PUSHBUTTON;
    switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        // Inside the button's raised edge and the focus rectangle.
        *box = {width - 6, height, lines};
        return true;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        // Beside the box.
        *box = {width - GetSystemMetrics(SM_CXMENUCHECK) - 4, height, lines};
        return true;
    case BS_GROUPBOX:
        // The text stands on the frame, seven pixels in from either end.
        *box = {width - 14, height, DT_SINGLELINE};
        return true;
    }
    return false;
}

// Whether the text is whole in its control. Which face stands in for the
// dialog's font differs between machines (Wine takes one of the system's),
// so a text must fit with an average character to spare (a quarter of its
// own width for one of a character or two).
bool FitsItsControl(HDC dc, const TemplateItem &item, const TextBox &box, int averageChar, std::string *why)
{
    RECT line = {0, 0, 0, 0};
    DrawTextA(dc, item.text.c_str(), -1, &line, DT_CALCRECT | (box.flags & DT_NOPREFIX) | DT_SINGLELINE);
    int spare = averageChar < line.right / 4 ? averageChar : line.right / 4;
    RECT r = {0, 0, box.width - spare, box.height};
    DrawTextA(dc, item.text.c_str(), -1, &r, DT_CALCRECT | box.flags);
    if (r.right <= box.width - spare && r.bottom <= box.height)
        return true;
    *why = "is " + std::to_string(line.right) + " pixels wide (" + std::to_string(r.bottom) +
           " high as laid out) with " + std::to_string(box.width) + " x " + std::to_string(box.height) +
           " of room and " + std::to_string(spare) + " to spare";
    return false;
}

INT_PTR CALLBACK BareDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Texts the program puts into a label while the dialog is open.
struct LaterText {
    const char *module;
    int dialog, control;
    const char *text;
};
const LaterText LaterTexts[] = {
    {"zettlies.exe", 500, 1114, "Not Active!"}, // the auto-save period at 0
    {"zettlies.exe", 500, 1114, "Minutes"},
};

struct Module {
    const char *name;
    std::string path;
};

std::vector<std::string> Checked;

BOOL CALLBACK CollectDialog(HMODULE, LPCSTR, LPSTR name, LONG_PTR parameter)
{
    auto *names = (std::vector<LPSTR> *)parameter;
    names->push_back(IS_INTRESOURCE(name) ? name : _strdup(name));
    return TRUE;
}

std::string DialogName(LPCSTR name)
{
    return IS_INTRESOURCE(name) ? std::to_string((int)(ULONG_PTR)name) : std::string(name);
}

// Every label of every dialog of the module; returns the ones cut off.
std::vector<std::string> ClippedLabels(const Module &module, int *dialogs, int *labels)
{
    std::vector<std::string> clipped;
    HMODULE loaded = LoadLibraryExA(module.path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!loaded)
        return {std::string(module.name) + ": cannot be loaded from " + module.path};
    std::vector<LPSTR> names;
    EnumResourceNamesA(loaded, RT_DIALOG, CollectDialog, (LONG_PTR)&names);
    for (LPSTR name : names) {
        HRSRC found = FindResourceA(loaded, name, RT_DIALOG);
        HGLOBAL resource = found ? LoadResource(loaded, found) : nullptr;
        const BYTE *bytes = resource ? (const BYTE *)LockResource(resource) : nullptr;
        DWORD size = found ? SizeofResource(loaded, found) : 0;
        std::string where = std::string(module.name) + " dialog " + DialogName(name);
        DialogTemplate dialog;
        if (!bytes || !ReadTemplate(bytes, size, &dialog)) {
            clipped.push_back(where + ": the template cannot be read");
            continue;
        }
        HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                 (LPCDLGTEMPLATEA)dialog.bare.data(), nullptr,
                                                 BareDialogProc, 0);
        if (!window) {
            clipped.push_back(where + ": cannot be made (" + std::to_string(GetLastError()) + ")");
            continue;
        }
        ++*dialogs;
        HFONT font = (HFONT)SendMessageA(window, WM_GETFONT, 0, 0);
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
        RECT unit = {0, 0, 4, 8};
        MapDialogRect(window, &unit);
        for (const TemplateItem &item : dialog.items) {
            RECT r = {item.x, item.y, item.x + item.cx, item.y + item.cy};
            MapDialogRect(window, &r);
            std::vector<TemplateItem> shown = {item};
            for (const LaterText &later : LaterTexts)
                if (strcmp(later.module, module.name) == 0 && IS_INTRESOURCE(name) &&
                    later.dialog == (int)(ULONG_PTR)name && later.control == (int)item.id) {
                    shown.push_back(item);
                    shown.back().text = later.text;
                }
            for (const TemplateItem &label : shown) {
                TextBox box;
                if (!TextBoxOf(label, r.right - r.left, r.bottom - r.top, &box))
                    continue;
                ++*labels;
                std::string why;
                if (!FitsItsControl(dc, label, box, unit.right, &why))
                    clipped.push_back(where + ": \"" + label.text + "\" " + why);
            }
        }
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
    for (LPSTR name : names)
        if (!IS_INTRESOURCE(name))
            free(name);
    FreeLibrary(loaded);
    return clipped;
}

} // namespace

TEST(DialogLabels, EveryLabelOfEveryDialogFitsItsControl)
{
    const Module modules[] = {
        {"zettlies.exe", WindowsPath(ZETTLIES_EXE)},
        {"zettlyinstaller.exe", WindowsPath(INSTALLER_EXE)},
        {"Tunelark.dll", WindowsPath(TUNELARK_DLL)},
        {"clock.dll", WindowsPath(CLOCK_DLL)},
        {"wallvane.dll", WindowsPath(WALLVANE_DLL)},
    };
    int dialogs = 0, labels = 0;
    std::vector<std::string> clipped;
    for (const Module &m : modules) {
        std::vector<std::string> found = ClippedLabels(m, &dialogs, &labels);
        clipped.insert(clipped.end(), found.begin(), found.end());
    }
    std::string list;
    for (const std::string &c : clipped)
        list += "\n  " + c;
    EXPECT_TRUE(clipped.empty()) << clipped.size() << " labels are cut off:" << list;
    // The program has a score of dialogs; finding few means the walk missed them.
    EXPECT_GE(dialogs, 20);
    EXPECT_GE(labels, 100);
}
