#include "cpu_id_dialog.h"

#include <commctrl.h>
#include <cstdio>

#include "registry_text.h"
#include "ui_seams.h"
#include "cpu_branch.h"
#include "sysmon_ids.h"
#include "sysmon_seams.h"
#include "windows_version_text.h"

// A thread hands its finished branch to the dialog, which makes the items.
enum { WM_ADD_CPU_BRANCH = WM_APP + 2 };

#define CPU_ID_NOTICE                                                                   \
    "Each processor is examined by a thread of its own, bound to that processor. "      \
    "Cache sizes and features are as the processor reports them."

struct CpuThreadParameter {
    HWND dialog;
    int processor; // from 1
};

struct CpuBranch {
    int count;
    CpuBranchLine lines[CPU_BRANCH_MAX_LINES];
};

void GetWindowsVersionName(char *out, size_t outSize)
{
    if (!outSize)
        return;
    out[0] = 0;
    OSVERSIONINFOEXA ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    if (!GetVersionExA((OSVERSIONINFOA *)&ex)) {
        ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA((OSVERSIONINFOA *)&ex))
            return;
    }
    WindowsVersionRecord v = {ex.dwMajorVersion, ex.dwMinorVersion, ex.dwBuildNumber,
                              ex.dwPlatformId, {}};
    snprintf(v.servicePack, sizeof v.servicePack, "%s", ex.szCSDVersion);
    char product[64] = {};
    bool haveProduct = false;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                      0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        haveProduct = ReadRegistryString(key, "ProductType", product, sizeof product,
                                         REGISTRY_TEXT_WHOLE) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    typedef BOOL(WINAPI * IsWow64Function)(HANDLE, BOOL *);
    BOOL wow64 = FALSE;
    HMODULE kernel = GetModuleHandleA("kernel32");
    auto isWow64 = kernel ? (IsWow64Function)(void *)GetProcAddress(kernel, "IsWow64Process")
                          : nullptr;
    if (isWow64 && !isWow64(GetCurrentProcess(), &wow64))
        wow64 = FALSE;
    FormatWindowsVersionName(v, haveProduct ? product : nullptr, wow64 != FALSE, out, outSize);
}

static HTREEITEM InsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, const char *text)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = (char *)text;
    return (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

static bool ItemReads(HWND tree, HTREEITEM item, const char *text)
{
    char buffer[96] = {};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = buffer;
    data.cchTextMax = sizeof buffer;
    return item && SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&data) &&
           strcmp(buffer, text) == 0;
}

// On the dialog's thread: the waiting line goes, the branch comes in sorted
// among the processors, its children in order under it.
static void AddBranch(HWND dialog, const CpuBranch &branch)
{
    HWND tree = GetDlgItem(dialog, IDC_CPU_TREE);
    HTREEITEM first = TreeView_GetRoot(tree);
    if (ItemReads(tree, first, CPU_LOADING_TEXT))
        TreeView_DeleteItem(tree, first);
    HTREEITEM parents[8] = {};
    for (int i = 0; i < branch.count; ++i) {
        const CpuBranchLine &line = branch.lines[i];
        int depth = line.depth < 8 ? line.depth : 7;
        HTREEITEM parent = depth > 0 ? parents[depth - 1] : TVI_ROOT;
        if (!parent)
            continue;
        parents[depth] = InsertItem(tree, parent, depth == 0 ? TVI_SORT : TVI_LAST, line.text);
        if (depth + 1 < 8)
            parents[depth + 1] = nullptr;
    }
    for (int i = 0; i < branch.count; ++i)
        if (branch.lines[i].expanded && branch.lines[i].depth == 0)
            for (HTREEITEM item = TreeView_GetRoot(tree); item;
                 item = TreeView_GetNextSibling(tree, item))
                if (ItemReads(tree, item, branch.lines[i].text))
                    TreeView_Expand(tree, item, TVE_EXPAND);
}

DWORD WINAPI CpuInterrogationThread(void *parameter)
{
    // The block is this thread's own: it frees it, whatever the dialog does.
    CpuThreadParameter p = *(CpuThreadParameter *)parameter;
    HeapFree(GetProcessHeap(), 0, parameter);
    auto *branch = (CpuBranch *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(CpuBranch));
    if (!branch)
        return 0;
    CpuIdInfo info;
    CpuIdIdentify(&info, CurrentCpuProbe());
    branch->count = BuildCpuBranch(info, p.processor, branch->lines, CPU_BRANCH_MAX_LINES);
    // Sent, not posted: the branch lives until the dialog has used it, and a
    // dialog that is gone leaves the message unanswered without harm.
    SendMessageA(p.dialog, WM_ADD_CPU_BRANCH, 0, (LPARAM)branch);
    HeapFree(GetProcessHeap(), 0, branch);
    return 0;
}

static void ThreadFailure(HWND dialog, const char *format, int processor)
{
    char text[128];
    snprintf(text, sizeof text, format, processor);
    ZtMessageBox(dialog, text, CPU_ID_CAPTION, MB_ICONSTOP);
}

bool StartCpuInterrogationThreads(HWND dialog)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    int processors = (int)system.dwNumberOfProcessors;
    int bits = (int)(sizeof(DWORD_PTR) * 8);
    bool started = false;
    for (int i = 1; i <= processors && i <= bits; ++i) {
        auto *parameter = (CpuThreadParameter *)HeapAlloc(GetProcessHeap(), 0,
                                                          sizeof(CpuThreadParameter));
        if (!parameter) {
            ZtMessageBox(dialog,
                         "Cannot allocate memory for threads and CPU information structures!",
                         CPU_ID_CAPTION, MB_ICONSTOP);
            return started;
        }
        *parameter = {dialog, i};
        HANDLE thread = CreateThread(nullptr, 0, CpuInterrogationThread, parameter,
                                     CREATE_SUSPENDED, nullptr);
        if (!thread) {
            HeapFree(GetProcessHeap(), 0, parameter);
            ThreadFailure(dialog, "Cannot create processor interrogation thread for processor %d!",
                          i);
            continue;
        }
        if (!SetThreadAffinityMask(thread, (DWORD_PTR)1 << (i - 1)))
            ThreadFailure(dialog, "Cannot set processor affinity for processor %d thread!", i);
        ResumeThread(thread);
        CloseHandle(thread);
        started = true;
    }
    return started;
}

static void CentreOverParent(HWND dialog)
{
    HWND parent = GetParent(dialog);
    RECT area, box;
    GetWindowRect(parent ? parent : GetDesktopWindow(), &area);
    GetWindowRect(dialog, &box);
    int w = box.right - box.left, h = box.bottom - box.top;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

static void SetNumber(HWND dialog, int id, unsigned value)
{
    char text[16];
    snprintf(text, sizeof text, "%u", value);
    SetDlgItemTextA(dialog, id, text);
}

static INT_PTR OnInitDialog(HWND dialog)
{
    CentreOverParent(dialog);
    CpuIdInfo info;
    CpuIdIdentify(&info, CurrentCpuProbe());
    if (info.hasCpuId) {
        SetDlgItemTextA(dialog, IDC_CPU_VENDOR, CpuVendorName(info.vendor));
        SetNumber(dialog, IDC_CPU_TYPE, info.type);
        SetNumber(dialog, IDC_CPU_FAMILY, info.family);
        SetNumber(dialog, IDC_CPU_MODEL, info.model);
        SetNumber(dialog, IDC_CPU_STEPPING, info.stepping);
        SetDlgItemTextA(dialog, IDC_CPU_NAME, info.name);
    } else {
        SetDlgItemTextA(dialog, IDC_CPU_NAME, CPU_NO_CPUID_TEXT);
    }
    char version[256];
    GetWindowsVersionName(version, sizeof version);
    SetDlgItemTextA(dialog, IDC_CPU_PLATFORM, version);
    SetDlgItemTextA(dialog, IDC_CPU_NOTICE, CPU_ID_NOTICE);
    HWND tree = GetDlgItem(dialog, IDC_CPU_TREE);
    InsertItem(tree, TVI_ROOT, TVI_SORT, CPU_LOADING_TEXT);
    StartCpuInterrogationThreads(dialog);
    ShowWindow(dialog, SW_SHOW);
    return TRUE;
}

INT_PTR CALLBACK CpuIdDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_ADD_CPU_BRANCH:
        AddBranch(dialog, *(const CpuBranch *)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, LOWORD(wParam) == IDOK ? 0 : -1);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, -1);
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunCpuIdDialog(HWND owner)
{
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CPU_ID), owner,
                           CpuIdDlgProc, 0);
}
