#include "notes_phase_times.h"

#include <windows.h>

double *NotesPhaseMs;

enum { PHASE_DEPTH = 16 };
static int PhaseStack[PHASE_DEPTH];
static int Depth;
static LARGE_INTEGER Since;

static void ChargeCurrentPhase(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    int phase = Depth > 0 ? PhaseStack[(Depth > PHASE_DEPTH ? PHASE_DEPTH : Depth) - 1] : PHASE_OTHER;
    if (NotesPhaseMs && Depth > 0)
        NotesPhaseMs[phase] += 1000.0 * (double)(now.QuadPart - Since.QuadPart) /
                               (double)frequency.QuadPart;
    Since = now;
}

void EnterNotesPhase(int phase)
{
    ChargeCurrentPhase();
    if (Depth < PHASE_DEPTH)
        PhaseStack[Depth] = phase;
    ++Depth;
}

void LeaveNotesPhase(void)
{
    ChargeCurrentPhase();
    if (Depth > 0)
        --Depth;
}
