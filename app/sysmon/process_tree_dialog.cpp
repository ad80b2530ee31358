#include "process_tree_dialog.h"

#include <commctrl.h>
#include <cstdio>

#include "ui_seams.h"
#include "core/notes_table/zettly_record.h"
#include "cpu_id_dialog.h"
#include "memstat_window.h"
#include "perf_counters.h"
#include "process_snapshot.h"
#include "sysmon_ids.h"

#define LIST_ERROR_TEXT "Process Error: Unable to read process list."
#define ACCESS_CAPTION "Access Denide"
#define KILL_CAPTION "Kill Process"

// Kept for the program's run, so processor use and the refresh settings carry
// over between openings; each opening works on it through its own state.
static ProcessTreeMemory Remembered = {{}, 0, 0, 5};

enum { WM_PAINT_GRAPH = WM_APP + 1, REFRESH_AFTER_KILL = -1 };

struct ProcessTreeState {
    ProcessTreeMemory *memory;
    PerfCounterContext *context;
    HWND tooltip;
    HIMAGELIST images;
    HFONT font;
    RECT window, client; // at creation, then the client after each resize
};

static ProcessTreeState *StateOf(HWND dialog)
{
    return (ProcessTreeState *)GetWindowLongPtrA(dialog, DWLP_USER);
}

void SetProcessTreeList(const ProcessInfo *records, int count)
{
    ProcessTreeMemory *m = &Remembered;
    m->count = count < PROCESS_SNAPSHOT_CAPACITY ? count : PROCESS_SNAPSHOT_CAPACITY - 1;
    if (m->count > 0)
        memcpy(m->list, records, sizeof(ProcessInfo) * m->count);
    else
        m->count = 0;
}

int PlaceProcessesForShowing(ProcessInfo *records, int count, PlacedProcess *lines, int capacity)
{
    for (int i = 0; i < count; ++i) {
        records[i].mainWindow = nullptr;
        records[i].title[0] = 0;
    }
    ProcessWindowSearch search = {records, count};
    EnumWindows(ProcessWindowEnumProc, (LPARAM)&search);
    return PlaceProcesses(records, count, lines, capacity);
}

static HTREEITEM InsertItem(HWND tree, HTREEITEM parent, char *text, int image, LPARAM data)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    insert.item.pszText = text;
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
    insert.item.lParam = data;
    return (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

int RefreshProcessTree(ProcessTreeMemory *m, HWND tree, int read)
{
    if (read) {
        int n = ReadProcessSnapshot(m->list, PROCESS_SNAPSHOT_CAPACITY, m->count);
        if (n == 0) {
            ZtMessageBox(tree, LIST_ERROR_TEXT, "Process List Error", MB_ICONINFORMATION);
            return -1;
        }
        m->count = n;
        return 0;
    }
    PlacedProcess lines[PROCESS_SNAPSHOT_CAPACITY + 1];
    int n = PlaceProcessesForShowing(m->list, m->count, lines,
                                     PROCESS_SNAPSHOT_CAPACITY + 1);
    // The item last placed at each depth is the parent of the next one deeper.
    HTREEITEM parents[PROCESS_SNAPSHOT_CAPACITY + 1] = {};
    for (int i = 0; i < n; ++i) {
        char text[PROCESS_LINE_CHARS];
        if (lines[i].index < 0) {
            snprintf(text, sizeof text, "%s", PROCESS_SEPARATOR);
            parents[0] = InsertItem(tree, nullptr, text, -7, 0);
            continue;
        }
        const ProcessInfo &p = m->list[lines[i].index];
        FormatProcessTreeLine(p, text, sizeof text);
        int depth = lines[i].depth;
        HTREEITEM parent = depth > 0 ? parents[depth - 1] : nullptr;
        parents[depth] = InsertItem(tree, parent, text, ProcessLoadImage(p.cpu), p.pid);
    }
    return 0;
}

static void AppendText(HWND edit, const char *text)
{
    int end = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, end, end);
    SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)text);
}

void DumpProcessList(HWND edit)
{
    size_t bytes = sizeof(ProcessInfo) * PROCESS_SNAPSHOT_CAPACITY +
                   sizeof(PlacedProcess) * (PROCESS_SNAPSHOT_CAPACITY + 1);
    auto *records = (ProcessInfo *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
    int n = records ? ReadProcessSnapshot(records, PROCESS_SNAPSHOT_CAPACITY) : 0;
    if (n == 0) {
        AppendText(edit, "\r\n" LIST_ERROR_TEXT);
        if (records)
            HeapFree(GetProcessHeap(), 0, records);
        return;
    }
    auto *lines = (PlacedProcess *)(records + PROCESS_SNAPSHOT_CAPACITY);
    int count = PlaceProcessesForShowing(records, n, lines, PROCESS_SNAPSHOT_CAPACITY + 1);
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    AppendText(edit, "\r\n");
    for (int i = 0; i < count; ++i) {
        char line[PROCESS_LINE_CHARS];
        FormatProcessDumpLine(records, lines[i], line, sizeof line);
        AppendText(edit, line);
    }
    HeapFree(GetProcessHeap(), 0, records);
}

// Items in the order a reader meets them, from the first root item down.
static HTREEITEM NextInPreOrder(HWND tree, HTREEITEM item)
{
    HTREEITEM child = TreeView_GetChild(tree, item);
    if (child)
        return child;
    for (; item; item = TreeView_GetParent(tree, item)) {
        HTREEITEM next = TreeView_GetNextSibling(tree, item);
        if (next)
            return next;
    }
    return nullptr;
}

static LPARAM ItemData(HWND tree, HTREEITEM item)
{
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&data);
    return data.lParam;
}

static HTREEITEM FindItemToSelect(HWND tree, LPARAM pid, int position)
{
    int at = 0;
    HTREEITEM byPosition = nullptr, last = nullptr;
    bool hasChildren = false;
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = NextInPreOrder(tree, item)) {
        if (ItemData(tree, item) == pid)
            return item;
        if (++at == position)
            byPosition = item;
        if (TreeView_GetChild(tree, item))
            hasChildren = true;
        last = item;
    }
    if (byPosition)
        return byPosition;
    return hasChildren ? nullptr : last;
}

static void Refresh(HWND dialog, LPARAM lParam)
{
    ProcessTreeState *s = StateOf(dialog);
    if (!s)
        return;
    HWND tree = GetDlgItem(dialog, IDC_PT_TREE);
    HTREEITEM selected = TreeView_GetSelection(tree);
    LPARAM pid = 0;
    int position = 0;
    if (selected) {
        pid = ItemData(tree, selected);
        for (HTREEITEM item = TreeView_GetRoot(tree); item; item = NextInPreOrder(tree, item)) {
            ++position;
            if (item == selected)
                break;
        }
    }
    ShowWindow(tree, SW_HIDE);
    TreeView_DeleteAllItems(tree);
    // A killed process takes a moment to leave the list.
    if (lParam == REFRESH_AFTER_KILL)
        Sleep(1000);
    RefreshProcessTree(s->memory, tree, 1);
    RefreshProcessTree(s->memory, tree, 0);
    ShowWindow(tree, SW_SHOW);
    if (selected) {
        HTREEITEM item = FindItemToSelect(tree, pid, position);
        if (item) {
            TreeView_SelectItem(tree, item);
            TreeView_SelectSetFirstVisible(tree, item);
        }
    }
    SetFocus(tree);
}

static void StartRefreshTimer(HWND dialog, const ProcessTreeMemory *m)
{
    SetTimer(dialog, PT_TIMER_REFRESH, m->refreshPeriod * 1000, nullptr);
}

static HIMAGELIST LoadLoadIcons(void)
{
    HIMAGELIST images = ImageList_Create(8, 8, ILC_MASK | ILC_COLOR32, 1, 7);
    if (!images)
        return nullptr;
    for (int id = IDI_PT_LOAD_FIRST; id <= IDI_PT_LOAD_LAST; ++id) {
        HICON icon = (HICON)LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                       IMAGE_ICON, 8, 8, 0);
        if (icon) {
            ImageList_AddIcon(images, icon);
            DestroyIcon(icon);
        }
    }
    return images;
}

static void SetCaptionWithClock(HWND dialog)
{
    char caption[1024 + 64];
    GetWindowTextA(dialog, caption, 1024);
    size_t used = strlen(caption);
    snprintf(caption + used, sizeof caption - used, "(calculated cpu @ %u MHz)",
             MeasureCpuClockSpeed());
    SetWindowTextA(dialog, caption);
}

static INT_PTR OnInitDialog(HWND dialog, ProcessTreeMemory *m)
{
    auto *s = m ? (ProcessTreeState *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                sizeof(ProcessTreeState))
                : nullptr;
    if (!s) {
        EndDialog(dialog, -1);
        return FALSE;
    }
    s->memory = m;
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)s);
    SetCaptionWithClock(dialog);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PT_DIALOG));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    if (m->autoRefresh) {
        StartRefreshTimer(dialog, m);
        CheckDlgButton(dialog, IDC_PT_AUTO_REFRESH, BST_CHECKED);
    }
    HWND period = GetDlgItem(dialog, IDC_PT_PERIOD);
    SendMessageA(period, TBM_SETRANGE, TRUE, MAKELPARAM(1, 10));
    SendMessageA(period, TBM_SETPOS, TRUE, m->refreshPeriod);
    GetWindowRect(dialog, &s->window);
    GetClientRect(dialog, &s->client);
    s->context = OpenLoadCounters(dialog);
    if (!s->context)
        return FALSE;
    SetTimer(dialog, PT_TIMER_GRAPH, 1000, nullptr);
    s->tooltip = CreateToolTipWindow(GetDlgItem(dialog, IDC_PT_GRAPH));
    HWND tree = GetDlgItem(dialog, IDC_PT_TREE);
    s->images = LoadLoadIcons();
    if (s->images)
        TreeView_SetImageList(tree, s->images, TVSIL_NORMAL);
    // Two snapshots a second apart, so the first tree shows processor use;
    // when there is nothing to read, one message says so.
    if (RefreshProcessTree(m, tree, 1) == 0) {
        Sleep(1000);
        RefreshProcessTree(m, tree, 1);
    }
    RefreshProcessTree(m, tree, 0);
    LOGFONTA lf = {};
    lf.lfHeight = -11;
    lf.lfWeight = 100;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_STRING_PRECIS;
    lf.lfClipPrecision = CLIP_STROKE_PRECIS;
    lf.lfQuality = DRAFT_QUALITY;
    lf.lfPitchAndFamily = FF_SWISS;
    strcpy(lf.lfFaceName, "Courier New");
    s->font = CreateFontIndirectA(&lf);
    if (s->font) {
        SendMessageA(tree, WM_SETFONT, (WPARAM)s->font, TRUE);
        SendDlgItemMessageA(dialog, IDC_PT_DUMP_TEXT, WM_SETFONT, (WPARAM)s->font, TRUE);
    }
    return FALSE;
}

static bool SelectedProcess(HWND dialog, DWORD *pid)
{
    HWND tree = GetDlgItem(dialog, IDC_PT_TREE);
    HTREEITEM item = TreeView_GetSelection(tree);
    if (!item) {
        ZtMessageBox(dialog, "Select a process to kill first.", "No PID Selected",
                     MB_ICONINFORMATION);
        return false;
    }
    *pid = (DWORD)ItemData(tree, item);
    return true;
}

// The idle process and this program are never ended: one would take the
// system with it, the other the notes.
static bool MayKillSelected(HWND dialog, DWORD pid)
{
    if (MayKillProcess(pid))
        return true;
    ZtMessageBox(dialog, "The idle process and Zettlies itself cannot be killed.", KILL_CAPTION,
                 MB_ICONINFORMATION);
    return false;
}

static void OnKill(HWND dialog)
{
    DWORD pid;
    if (!SelectedProcess(dialog, &pid) || !MayKillSelected(dialog, pid))
        return;
    if (!EnableDebugPrivilege(true)) {
        ZtMessageBox(dialog, "User does not have privilege to kill processes!", ACCESS_CAPTION,
                     MB_ICONINFORMATION);
        return;
    }
    if (!TerminateProcessById(pid))
        ZtMessageBox(dialog, "Failed to kill process!", ACCESS_CAPTION, MB_ICONINFORMATION);
    EnableDebugPrivilege(false);
    PostMessageA(dialog, WM_COMMAND, IDC_PT_REFRESH, REFRESH_AFTER_KILL);
}

static void OnKillNode(HWND dialog)
{
    DWORD pid;
    if (!SelectedProcess(dialog, &pid) || !MayKillSelected(dialog, pid))
        return;
    if (!EnableDebugPrivilege(true)) {
        ZtMessageBox(nullptr, "User does not have privilege to kill processes!", ACCESS_CAPTION,
                     MB_ICONINFORMATION);
        return;
    }
    auto *records = (ProcessInfo *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                             sizeof(ProcessInfo) * PROCESS_SNAPSHOT_CAPACITY);
    int n = records ? ReadProcessSnapshot(records, PROCESS_SNAPSHOT_CAPACITY) : 0;
    if (n == 0)
        ZtMessageBox(nullptr, "User does not have privilege to view processes!", ACCESS_CAPTION,
                     MB_ICONINFORMATION);
    else
        KillProcessTree(records, n, pid);
    if (records)
        HeapFree(GetProcessHeap(), 0, records);
    EnableDebugPrivilege(false);
    if (n > 0)
        PostMessageA(dialog, WM_COMMAND, IDC_PT_REFRESH, REFRESH_AFTER_KILL);
}

static void OnCpuInfo(HWND dialog)
{
    HWND button = GetDlgItem(dialog, IDC_PT_CPU_INFO);
    EnableWindow(button, FALSE);
    RunCpuIdDialog(nullptr);
    EnableWindow(button, TRUE);
}

static void OnCommand(HWND dialog, int id, LPARAM lParam)
{
    switch (id) {
    case IDC_PT_QUIT:
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    case IDC_PT_REFRESH:
        Refresh(dialog, lParam);
        break;
    case IDC_PT_AUTO_REFRESH:
        if (ProcessTreeState *s = StateOf(dialog)) {
            ProcessTreeMemory *m = s->memory;
            m->autoRefresh = IsDlgButtonChecked(dialog, IDC_PT_AUTO_REFRESH) == BST_CHECKED;
            if (m->autoRefresh) {
                m->refreshPeriod = (int)SendDlgItemMessageA(dialog, IDC_PT_PERIOD, TBM_GETPOS, 0, 0);
                StartRefreshTimer(dialog, m);
            } else {
                KillTimer(dialog, PT_TIMER_REFRESH);
            }
        }
        break;
    case IDC_PT_CLEAR:
        SetDlgItemTextA(dialog, IDC_PT_DUMP_TEXT, "");
        break;
    case IDC_PT_DUMP:
        DumpProcessList(GetDlgItem(dialog, IDC_PT_DUMP_TEXT));
        break;
    case IDC_PT_KILL:
        OnKill(dialog);
        break;
    case IDC_PT_KILL_NODE:
        OnKillNode(dialog);
        break;
    case IDC_PT_CPU_INFO:
        OnCpuInfo(dialog);
        break;
    }
}

static void OnTrack(HWND dialog, int kind, HWND control)
{
    ProcessTreeState *s = StateOf(dialog);
    if (!s || control != GetDlgItem(dialog, IDC_PT_PERIOD) || (kind != TB_THUMBTRACK && kind != TB_ENDTRACK))
        return;
    ProcessTreeMemory *m = s->memory;
    m->refreshPeriod = (int)SendMessageA(control, TBM_GETPOS, 0, 0);
    if (m->refreshPeriod < 1 || m->refreshPeriod > 10)
        m->refreshPeriod = 5;
    if (m->autoRefresh)
        StartRefreshTimer(dialog, m);
}

static void PaintGraph(HWND dialog, int reuse)
{
    ProcessTreeState *s = StateOf(dialog);
    if (!s || !s->context)
        return;
    HWND graph = GetDlgItem(dialog, IDC_PT_GRAPH);
    MemStatPaintGraph(graph, s->tooltip, 1, reuse, s->context);
    ValidateRect(graph, nullptr);
}

static void OnTimer(HWND dialog, UINT_PTR id)
{
    if (id == PT_TIMER_REFRESH)
        SendMessageA(dialog, WM_COMMAND, IDC_PT_REFRESH, 0);
    else if (id == PT_TIMER_GRAPH)
        PaintGraph(dialog, 0);
}

static void OnActivate(WPARAM state)
{
    for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot) {
        HWND edit = ZettlyTable[slot].editWindow;
        if (edit && IsWindow(edit)) {
            PostMessageA(edit, WM_USER, LOWORD(state) != WA_INACTIVE ? 1 : 2, 0);
            return;
        }
    }
}

static void MoveControl(HWND dialog, int id, int dx, int dy)
{
    HWND control = GetDlgItem(dialog, id);
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, (POINT *)&r, 2);
    SetWindowPos(control, nullptr, r.left + dx, r.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}

static void OnSize(HWND dialog)
{
    ProcessTreeState *s = StateOf(dialog);
    if (!s)
        return;
    RECT now;
    GetClientRect(dialog, &now);
    int dx = now.right - s->client.right, dy = now.bottom - s->client.bottom;
    RECT quit;
    GetWindowRect(GetDlgItem(dialog, IDC_PT_QUIT), &quit);
    MapWindowPoints(nullptr, dialog, (POINT *)&quit, 2);
    if (dx / 2 + quit.left < 0)
        dx += quit.left;
    for (int id = IDC_PT_FIRST_MOVING; id <= IDC_PT_LAST_MOVING; ++id)
        if (GetDlgItem(dialog, id))
            MoveControl(dialog, id, dx, dy);
    MoveControl(dialog, IDC_PT_CPU_INFO, dx, dy);
    RECT r;
    HWND graph = GetDlgItem(dialog, IDC_PT_GRAPH);
    GetWindowRect(graph, &r);
    MapWindowPoints(nullptr, dialog, (POINT *)&r, 2);
    SetWindowPos(graph, nullptr, 0, r.top + dy, r.right - r.left + dx, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOREDRAW);
    HWND edit = GetDlgItem(dialog, IDC_PT_DUMP_TEXT);
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, dialog, (POINT *)&r, 2);
    SetWindowPos(edit, nullptr, 0, r.top + dy, now.right, now.bottom - (r.top + dy),
                 SWP_NOZORDER | SWP_NOREDRAW);
    HWND tree = GetDlgItem(dialog, IDC_PT_TREE);
    GetWindowRect(tree, &r);
    SetWindowPos(tree, nullptr, 0, 0, now.right, r.bottom - r.top + dy,
                 SWP_NOZORDER | SWP_NOREDRAW);
    s->client = now;
    InvalidateRect(dialog, nullptr, TRUE);
}

static void OnClose(HWND dialog)
{
    ProcessTreeState *s = StateOf(dialog);
    KillTimer(dialog, PT_TIMER_REFRESH);
    KillTimer(dialog, PT_TIMER_GRAPH);
    if (s) {
        if (s->context)
            CloseLoadCounters(s->context);
        if (s->tooltip)
            DestroyWindow(s->tooltip);
        if (s->font)
            DeleteObject(s->font);
        // The tree lets go of its image list before the list goes.
        TreeView_SetImageList(GetDlgItem(dialog, IDC_PT_TREE), nullptr, TVSIL_NORMAL);
        if (s->images)
            ImageList_Destroy(s->images);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        HeapFree(GetProcessHeap(), 0, s);
    }
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK ProcessTreeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, (ProcessTreeMemory *)lParam);
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), lParam);
        return TRUE;
    case WM_HSCROLL:
        OnTrack(dialog, LOWORD(wParam), (HWND)lParam);
        return TRUE;
    case WM_TIMER:
        OnTimer(dialog, wParam);
        return TRUE;
    case WM_PAINT_GRAPH:
        PaintGraph(dialog, 1);
        return TRUE;
    case WM_PAINT:
        // The dialog paints first; the graph follows on top of it.
        PostMessageA(dialog, WM_PAINT_GRAPH, 0, 0);
        return FALSE;
    case WM_ACTIVATE:
        OnActivate(wParam);
        return FALSE;
    case WM_GETMINMAXINFO:
        if (ProcessTreeState *s = StateOf(dialog)) {
            auto *info = (MINMAXINFO *)lParam;
            info->ptMinTrackSize.x = s->window.right - s->window.left + 1;
            info->ptMinTrackSize.y = s->window.bottom - s->window.top + 1;
        }
        return TRUE;
    case WM_SIZE:
        OnSize(dialog);
        return TRUE;
    case WM_CLOSE:
        OnClose(dialog);
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunProcessTree(HWND owner)
{
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROCESS_TREE_DIALOG),
                           owner, ProcessTreeDlgProc, (LPARAM)&Remembered);
}
