#!/usr/bin/env python3
"""Counts the file-scope mutable variables of each folder: variables at
namespace scope (static or not, inside anonymous namespaces too) that are
not const or constexpr. A rough reader of C++, good enough for this code.

Each variable that stays is a true one-per-program handle, table or seam and
has its reason in KEPT below; state of one window, dialog or operation lives
in that window's or operation's own block instead. With no folder given the
tool checks the whole tree and fails when a variable lacks a reason or the
count passes LIMIT.

    tools/file_state.py [-v] [folder ...]     (default: app libs platform installer)
"""
import os
import re
import sys

COMMENTS = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'', re.S)
# The declarator of a pointer to a function (or an array of them): "(*name)(",
# "(*const name[4])(", "(WINAPI *name)(".
FUNCTION_POINTER = re.compile(r'\(\s*(?:(?:WINAPI|CALLBACK|APIENTRY|__stdcall|__cdecl)\s*)?\*\s*(?:volatile\s+)?(const\s+)?(?:volatile\s+)?([A-Za-z_]\w*)\s*(?:\[[^\]]*\]\s*)*\)\s*\(')
SKIP_START = ("typedef", "using", "extern", "template", "friend", "static_assert", "return")


def blank(m):
    text = m.group(0)
    return '""' if text.startswith('"') else ("' '" if text.startswith("'") else " ")


def function_pointer(head):
    """The match of a pointer-to-function declarator that the declaration
    itself declares (not a parameter of a function declaration), or None."""
    pointer = FUNCTION_POINTER.search(head)
    return pointer if pointer and "(" not in head[:pointer.start()] else None


def is_variable(statement):
    s = " ".join(statement.split())
    if not s or s.startswith(SKIP_START):
        return False
    if re.match(r'(struct|class|enum|union)\b[^=]*$', s):
        return False
    head = s.split("=", 1)[0]
    pointer = function_pointer(head)
    if pointer:
        # "int (*f)(int)" can be pointed elsewhere; "int (*const f)(int)" cannot,
        # whatever const stands in the return type or the parameters.
        return not pointer.group(1)
    if re.search(r'\bconst(expr)?\b', head.split("[")[0].split("*")[-1] if "*" in head else head):
        return False
    # A function declaration: parentheses before any initializer.
    if "(" in head:
        return False
    return bool(re.search(r'[A-Za-z_]\w*\s*(\[[^\]]*\]\s*)*$', head.strip()))


def past_braces(text, i):
    """The index behind the brace that closes the one at text[i]."""
    depth = 0
    for j in range(i, len(text)):
        depth += text[j] == "{"
        depth -= text[j] == "}"
        if depth == 0:
            return j + 1
    return len(text)


def variables(text):
    text = COMMENTS.sub(blank, text)
    text = re.sub(r'^\s*#.*?(?<!\\)$', " ", text, flags=re.M)
    found, statement, i, n = [], "", 0, len(text)
    while i < n:
        c = text[i]
        if c == "{":
            if "=" in statement or re.search(r'\w\s*$', statement) and re.match(r'(static\s+)?[\w:<>,\s\*&]+\s+\w+\s*(\[[^\]]*\]\s*)*$', " ".join(statement.split())) and "(" not in statement:
                # An initializer in braces: part of the statement.
                j = past_braces(text, i)
                statement += " {} "
                i = j
                continue
            if re.match(r'\s*(namespace\b[\w\s]*|extern\s*""\s*)$', statement):
                statement = ""
                i += 1
                continue
            # A body of a function, struct or enum: skip it.
            j = past_braces(text, i)
            if re.match(r'\s*(struct|class|enum|union)\b', statement):
                statement += " {} "
            else:
                statement = ""
            i = j
            continue
        if c == "}":
            statement = ""
        elif c == ";":
            if is_variable(statement):
                found.append(" ".join(statement.split()))
            statement = ""
        else:
            statement += c
        i += 1
    return found


# The count may only fall: lower LIMIT as state moves to its windows, toward GOAL.
LIMIT = 61
GOAL = 60

# "file:variable": why it is one per program.
KEPT = {
    # Seams: one per program, set at start-up, replaced by tests.
    "app/sysmon/sysmon_seams.cpp:Seams": "seam: the performance data, process list and processor a test puts in place",
    "app/editing/printing.cpp:PrintSeams": "seam: the printer dialog and the print job's start",
    "app/arcade/arcade_about.cpp:Machine": "seam: the machine calls a test replaces",
    "app/core/editing_features.cpp:InPlace": "seam: the editing calls in place, set at start-up",
    "app/core/notes_table/notes_file_io.cpp:Seams": "seam: the save's step a test stops at and the error it gives every file",
    "app/core/notes_table/notes_phase_times.cpp:NotesPhases": "seam: the timer of the load or save the benchmark measures",
    "app/core/notes_table/data_folder.cpp:Folder": "seam: the program's data folder, set once",
    "libs/wallvane/jpeg/cpu_dispatch.cpp:ForcedCpuType": "seam: the processor type a test forces",
    "libs/wallvane/jpeg/cpu_dispatch.cpp:FilledHook": "seam: a test's look at each routine table as it is filled",
    "libs/wallvane/jpeg/smooth_upsample.cpp:RowKernelInUse": "seam: a test sends smoothed MCUs through the planes to hold the kernel to them",
    "platform/win32support/clock_seam.cpp:Clock": "seam: the clock, its moment and the pauses a test steps",
    "platform/win32support/module_instance.cpp:Instance": "seam: the module instance",
    "platform/win32support/sound_seam.cpp:CurrentPlaySoundHook": "seam: sound",
    "platform/win32support/ui_seams.cpp:Seams": "seam: the message boxes and registry root a test puts in place",

    # Tables: the program's data, one copy.
    "app/core/notes_table/zettly_record.cpp:ZettlyTable": "table: the notes",
    "app/core/notes_table/zettly_record.cpp:ZettlySchemes": "table: the colour schemes with their count",
    "app/core/notes_table/zettly_settings.cpp:ZettlyInfo": "table: the program's settings",
    "app/core/notes_table/zettly_settings.cpp:ZettlySounds": "table: the program's sound files",
    "app/core/notes_table/zettly_slots.cpp:Measured": "table: the cache of measured fonts, shared by the roll threads",
    "app/core/notes_table/zettly_slots.cpp:AskedPlaces": "table: per note slot, the place its window was asked for until it is seen there or the user moves it",
    "app/core/note_editor/editor_commands.cpp:EditorPalette": "table: the editor's colour palette, from the settings",
    "app/core/main_window/companions.cpp:Companions": "table: the companion programs and their windows",
    "app/core/note_window/alarm_blink.cpp:Blink": "table: per slot, which blink thread owns the note and what it shows",
    "app/editing/console_mode.cpp:Links": "table: per slot, the console programs and their reader threads",
    "app/editing/spell_dialog.cpp:SpellIgnoreList": "table: the words ignored for the run",
    "app/editing/syntax_config.cpp:ProcessSyntaxTable": "table: the syntax colouring rules, read once",
    "app/editing/printing.cpp:ZettlyPrintSettings": "table: the print settings for the run",
    "app/arcade/arcade_video.cpp:ArcadePalette": "table: the palette, built at start",
    "app/arcade/arcade_sound.cpp:sounds": "table: the sounds, loaded once at start and never released",
    "app/arcade/arcade_machine_core.cpp:ArcadeKept": "what outlives every machine: high scores, video register, frame-rate text",
    "libs/wallvane/image_filters.cpp:FilterKernels": "table: the filters, the custom one edited by the user",
    "libs/wallvane/jpeg/cpu_dispatch.cpp:CpuInfo": "table: what the processor offers, read once",
    "libs/wallvane/jpeg/cpu_dispatch.cpp:JpgTimeStamp": "routine: this processor's time stamp, the same for every record",
    "libs/wallvane/jpeg/platform_win32.cpp:UserFunctions": "table: functions loaded for the codec's callers",

    # Handles and state of which the program has exactly one.
    "app/core/note_window/note_window.cpp:MainWindow": "handle: the main window",
    "app/core/note_window/window_creation.cpp:WindowsBeingCreated": "count: note windows being made now, which DDE waits out",
    "app/core/note_window/group_window.cpp:GroupMenu": "handle: the menu every group window shares, with the count of windows holding it",
    "app/core/note_window/note_commands.cpp:Menus": "handle: the menu every note window shares, its submenus and the count of windows holding it",
    "app/core/note_window/note_commands.cpp:AlarmDialogOpen": "guard: one alarm dialog at a time",
    "app/core/note_window/group_members.cpp:UnlinkedStack": "where the next unlinked note goes, for the run",
    "app/core/note_window/preferences_dialog.cpp:PrefsDialog": "the one preferences dialog across openings: its open guard, the view and custom colours it was left with",
    "app/core/note_editor/editor_menu.cpp:SyntaxMenu": "handle: the syntax menu every editor shares",
    "app/core/note_editor/note_edit.cpp:EditToolbarWindow": "handle: the one edit toolbar, moved between notes",
    "app/core/note_editor/note_edit.cpp:NoteKeys": "handle: the key tables every note translates, loaded at start-up",
    "app/core/main_window/tray_menu.cpp:TrayMenu": "handle: the tray menu, its submenus reached through it",
    "app/core/main_window/zettlies_files.cpp:Files": "handle: the notes files and their lock",
    "app/sysmon/memstat_window.cpp:Settings": "the meter's settings, kept for the run: they outlive its window",
    "app/sysmon/process_tree_dialog.cpp:Remembered": "what one process-tree opening hands the next",
    "app/editing/calculator.cpp:SharedEvaluator": "handle: the calculator's evaluator, made once",
    "app/editing/check_list.cpp:Strip": "handle: the check-box strip every list draws from, with its count of users",
    "app/editing/find_replace.cpp:FindDialog": "the one find dialog: its opening now, and its texts kept for the next",
    "app/editing/richole/rich_ole.cpp:ActiveInPlaceObject": "the one object being edited in place: one at a time in the program, asked after by every note",
    "app/editing/exchange/dde_exchange.cpp:Server": "handle: the DDE server, its recent pokes and the transaction it answers; its callback takes no context",
    "app/editing/exchange/mail.cpp:Mail": "handle: the link to the mail system, for the run",
    "app/arcade/arcade_about.cpp:VuvovirEmulator": "the one emulator as the main program's loop sees it: runs, its dialog and its painter",
    "app/arcade/arcade_machine.cpp:ArcadeWin32": "the one machine's Windows side: screen, pacing, end of its run",
    "app/arcade/arcade_machine_core.cpp:Arcade": "the one machine of the process, with its host calls",
    "platform/win32support/fault_guard.cpp:CurrentGuard": "per thread: the innermost guarded call",
    "platform/keylatch/keylatch.cpp:Latch": "the library's hook: a keyboard hook carries no parameter",
    "platform/midas/midas_dll.cpp:Midas": "the library's player",
    "installer/zettlyinstaller.cpp:Conversation": "handle: the installer's DDE conversation",
}


def names(statement):
    """The names a declaration declares: "static HSZ a, b, c" gives a, b, c;
    "int (*f)(int, int)" gives f."""
    pointer = function_pointer(statement.split("=", 1)[0])
    if pointer:
        return [pointer.group(2)]
    head = statement.split("=", 1)[0] if "{" not in statement.split("=", 1)[0] else statement
    head = re.sub(r'\[[^\]]*\]|\{[^{}]*\}|<[^<>]*>|\([^()]*\)', "", head.split("=")[0])
    found = []
    for part in head.split(","):
        words = re.findall(r'[A-Za-z_]\w*', part)
        if words:
            found.append(words[-1])
    return found


def main():
    args = sys.argv[1:]
    verbose = "-v" in args
    tops = [a for a in args if a != "-v"] or ["app", "libs", "platform", "installer"]
    whole = not [a for a in args if a != "-v"]
    counts, total, listed, missing = {}, 0, [], []
    for top in tops:
        for folder, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(".cpp"):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="latin-1") as f:
                    found = variables(f.read())
                # "static HSZ a, b, c;" holds three.
                number = sum(len(names(v)) for v in found)
                if found:
                    counts[folder] = counts.get(folder, 0) + number
                    total += number
                    if verbose:
                        for v in found:
                            print("%s: %s" % (path, v))
                for v in found:
                    for name in names(v):
                        key = "%s:%s" % (path.replace(os.sep, "/"), name)
                        reason = KEPT.get(key)
                        listed.append((key, reason))
                        if reason is None:
                            missing.append(key)
    for key, reason in listed:
        print("%-60s %s" % (key, reason or "NO REASON"))
    print()
    for folder in sorted(counts):
        print("%4d  %s" % (counts[folder], folder))
    print("%4d  total (at most %d; the goal is %d)" % (total, LIMIT, GOAL))
    if not whole:
        return 0
    status = 0
    if missing:
        print("file_state: %d variables have no reason in KEPT: %s" % (len(missing), ", ".join(missing)))
        status = 1
    if total > LIMIT:
        print("file_state: %d file-scope mutable variables, more than %d" % (total, LIMIT))
        status = 1
    stale = sorted(set(KEPT) - set(key for key, _ in listed))
    if stale:
        # Not a failure: a variable gone is the aim; its line can go at leisure.
        print("file_state: reasons for variables that are gone (drop them): %s" % ", ".join(stale))
    return status


if __name__ == "__main__":
    sys.exit(main())
