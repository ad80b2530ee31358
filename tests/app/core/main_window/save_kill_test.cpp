// The real program killed at random moments of its saves and started again
// each time, as a power cut or a killed process would leave it: every start
// must load one whole set of notes, the one before the save or the one it
// wrote, without a question. ZT_KILL_BUDGET kills (a few by default),
// ZT_KILL_SEED the sequence; the figures are printed at the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "core/core_ids.h"
#include "test_support.h"

namespace {

const std::string Program = WindowsPath(ZETTLIES_EXE);
const int Notes = 6;

int EnvironmentNumber(const char *name, int fallback)
{
    const char *value = std::getenv(name);
    int parsed = value ? std::atoi(value) : 0;
    return parsed > 0 ? parsed : fallback;
}

HWND FindOfProcess(const char *windowClass, DWORD process)
{
    std::vector<HWND> found = TopLevelWindows(windowClass, process);
    return found.empty() ? nullptr : found[0];
}

std::vector<HWND> NoteEditsOf(DWORD process)
{
    std::vector<HWND> edits;
    for (HWND note : TopLevelWindows("Zettly Class", process)) {
        HWND edit = FindWindowExA(note, nullptr, "RICHEDIT", nullptr);
        if (edit)
            edits.push_back(edit);
    }
    return edits;
}

std::string TextOf(HWND edit)
{
    std::vector<char> text(16384, 0);
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(edit, WM_GETTEXT, text.size(), (LPARAM)text.data(), SMTO_NORMAL,
                             ScaledWait(10000), &got))
        return "<no answer>";
    return std::string(text.data());
}

// Long enough that a save of them takes a while to write.
std::string NoteText(int generation, int note)
{
    return "G" + std::to_string(generation) + " N" + std::to_string(note) + " " +
           std::string(3000 + 97 * note, (char)('a' + generation % 26));
}

bool Answers(HWND window)
{
    DWORD_PTR reply = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, ScaledWait(20000), &reply) != 0;
}

struct Figures {
    int kills = 0, loadedBefore = 0, loadedNew = 0, inFlight = 0, duringCommit = 0;
    int questions = 0, mixed = 0, lost = 0;
};

class KilledProgram {
public:
    explicit KilledProgram(const std::string &folder) : folder(folder) {}
    // Starts the program and waits until its notes are loaded, answering
    // any box No and noting its text.
    bool Start(std::string *box)
    {
        program.reset(new ChildProgram(Program, "-multinstances", {"APPDATA=" + folder}));
        if (!program->Started())
            return false;
        DWORD id = program->ProcessId();
        bool ready = PumpUntil(
            [&] {
                HWND dialog = FindOfProcess("#32770", id);
                if (dialog) {
                    *box += DialogMessageText(dialog) + "\n";
                    PostMessageA(dialog, WM_COMMAND, IDNO, 0);
                    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                    return false;
                }
                // Idle for input only once its loop runs: every note is loaded.
                main = FindOfProcess("Zettlies", id);
                return main && Answers(main) &&
                       WaitForInputIdle(program->Process(), 0) == 0 &&
                       !FindOfProcess("#32770", id);
            },
            60000);
        return ready;
    }
    std::vector<HWND> Edits() { return NoteEditsOf(program->ProcessId()); }
    void Kill()
    {
        TerminateProcess(program->Process(), 1);
        WaitForSingleObject(program->Process(), ScaledWait(30000));
        program.reset();
    }
    void Quit()
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        DWORD code = 0;
        program->WaitForExit(ScaledWait(60000), &code);
        program.reset();
    }
    bool Exists(const char *name)
    {
        return GetFileAttributesA((folder + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::string folder;
    std::unique_ptr<ChildProgram> program;
    HWND main = nullptr;
};

// Each note of the loop gets the generation's text for its number: by its
// place among the first notes made, and later by the number its text holds.
// A note made meanwhile by a test of another program (a key or click that
// reaches every copy on the desktop) holds no number and is left alone.
bool WriteGeneration(const std::vector<HWND> &edits, int generation, bool first = false)
{
    for (size_t i = 0; i < edits.size(); ++i) {
        int g = -1, n = (int)i;
        if (!first && std::sscanf(TextOf(edits[i]).c_str(), "G%d N%d", &g, &n) != 2)
            continue;
        std::string text = NoteText(generation, n);
        DWORD_PTR reply = 0;
        if (!SendMessageTimeoutA(edits[i], WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_NORMAL,
                                 ScaledWait(10000), &reply))
            return false;
    }
    return true;
}

// The one generation every note holds whole, or -1 (and why).
int LoadedGeneration(const std::vector<HWND> &edits, std::string *why)
{
    int generation = -1, numbered = 0;
    std::vector<bool> seen(Notes, false);
    for (HWND edit : edits) {
        std::string text = TextOf(edit);
        if (text.empty())
            continue; // made by another program's key or click, never written
        ++numbered;
        int g = -1, n = -1;
        if (std::sscanf(text.c_str(), "G%d N%d", &g, &n) != 2 || n < 0 || n >= Notes ||
            seen[n] || text != NoteText(g, n)) {
            *why = "a note holds \"" + text.substr(0, 40) + "\" (" + std::to_string(text.size()) +
                   " bytes); the notes:";
            for (HWND other : edits)
                *why += " " + TextOf(other).substr(0, 7);
            return -2;
        }
        seen[n] = true;
        if (generation != -1 && g != generation) {
            *why = "generations " + std::to_string(generation) + " and " + std::to_string(g);
            return -3;
        }
        generation = g;
    }
    if (numbered != Notes) {
        *why = std::to_string(numbered) + " notes with texts";
        return -1;
    }
    return generation;
}

} // namespace

TEST(SaveKills, EveryRestartLoadsOneWholeSetWithoutAQuestion)
{
    const int budget = EnvironmentNumber("ZT_KILL_BUDGET", 4);
    std::mt19937 random((unsigned)EnvironmentNumber("ZT_KILL_SEED", 20261211));
    ScopedTempFolder data;
    KilledProgram run(data.Path());
    std::string box;
    ASSERT_TRUE(run.Start(&box));
    EXPECT_EQ(box, "") << "the first start asks nothing";
    for (int i = 0; i < Notes; ++i) {
        DWORD_PTR reply = 0;
        SendMessageTimeoutA(run.main, WM_COMMAND, CMD_NEW_ZETTLY, 0, SMTO_NORMAL, ScaledWait(10000),
                            &reply);
    }
    ASSERT_TRUE(PumpUntil([&] { return run.Edits().size() == (size_t)Notes; }, 20000));
    std::vector<HWND> edits = run.Edits();
    ASSERT_TRUE(WriteGeneration(edits, 1, true));
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    DWORD_PTR reply = 0;
    ASSERT_TRUE(SendMessageTimeoutA(run.main, WM_COMMAND, CMD_SAVE_NOW, 0, SMTO_NORMAL,
                                    ScaledWait(30000), &reply));
    QueryPerformanceCounter(&after);
    // The span over which the kills fall, from the save's own length.
    const LONGLONG saveTicks = (after.QuadPart - before.QuadPart) * 3 / 2 + 1;
    int generation = 1;

    Figures f;
    std::string failures;
    for (int trial = 0; trial < budget && failures.size() < 4000; ++trial) {
        int next = generation + 1;
        if (!WriteGeneration(run.Edits(), next)) {
            failures += "trial " + std::to_string(trial) + ": the notes did not take the text\n";
            break;
        }
        // A third of the kills wait for the commit file and fall within it.
        bool atCommit = trial % 3 == 1;
        LONGLONG delay = std::uniform_int_distribution<LONGLONG>(0, saveTicks)(random);
        LONGLONG shortDelay = std::uniform_int_distribution<LONGLONG>(0, frequency.QuadPart / 500)(random);
        PostMessageA(run.main, WM_COMMAND, CMD_SAVE_NOW, 0);
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        bool seen = false;
        for (;;) {
            QueryPerformanceCounter(&now);
            LONGLONG elapsed = now.QuadPart - start.QuadPart;
            if (atCommit && !seen && run.Exists("zettly.ok_saving")) {
                seen = true;
                start = now;
                delay = shortDelay;
                continue;
            }
            if ((!atCommit || seen) && elapsed >= delay)
                break;
            if (atCommit && elapsed > 4 * saveTicks + frequency.QuadPart)
                break; // the save ended before the file was seen
        }
        run.Kill();
        ++f.kills;
        f.inFlight += run.Exists("zettly.rec_saving") || run.Exists("zettly.str_saving") ||
                      run.Exists("zettly.ok_saving");
        f.duringCommit += run.Exists("zettly.ok_saving");

        box.clear();
        if (!run.Start(&box)) {
            failures += "trial " + std::to_string(trial) + ": the program did not start again\n";
            break;
        }
        if (!box.empty()) {
            ++f.questions;
            failures += "trial " + std::to_string(trial) + " asked: " + box;
        }
        std::string why;
        int loaded = -1;
        PumpUntil([&] { return (loaded = LoadedGeneration(run.Edits(), &why)) >= 0; }, 5000);
        if (loaded == generation) {
            ++f.loadedBefore;
        } else if (loaded == next) {
            ++f.loadedNew;
        } else {
            ++(loaded == -3 ? f.mixed : f.lost);
            failures += "trial " + std::to_string(trial) + ": " + why + "\n";
            break;
        }
        generation = loaded;
        if (f.kills % 50 == 0)
            std::printf("%d kills: %d before, %d new, %d in flight, %d during the commit file\n",
                        f.kills, f.loadedBefore, f.loadedNew, f.inFlight, f.duringCommit);
    }
    if (run.program)
        run.Quit();
    std::printf("%d kills: %d loaded the set before the save, %d the new set; %d with save files "
                "in flight, %d during the commit file; %d questions, %d mixed sets, %d lost texts\n",
                f.kills, f.loadedBefore, f.loadedNew, f.inFlight, f.duringCommit, f.questions,
                f.mixed, f.lost);
    EXPECT_EQ(failures, "");
}
