#include "notes_phase_times.h"

#include <windows.h>

NotesPhaseTimer *NotesPhases;

static void ChargeCurrentPhase(NotesPhaseTimer *timer)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    int depth = timer->depth;
    int phase = depth > 0 ? timer->stack[(depth > NOTES_PHASE_DEPTH ? NOTES_PHASE_DEPTH : depth) - 1] : PHASE_OTHER;
    if (timer->ms && depth > 0)
        timer->ms[phase] += 1000.0 * (double)(now.QuadPart - timer->since) / (double)frequency.QuadPart;
    timer->since = now.QuadPart;
}

void EnterNotesPhase(int phase)
{
    NotesPhaseTimer *timer = NotesPhases;
    if (!timer)
        return;
    ChargeCurrentPhase(timer);
    if (timer->depth < NOTES_PHASE_DEPTH)
        timer->stack[timer->depth] = phase;
    ++timer->depth;
}

void LeaveNotesPhase(void)
{
    NotesPhaseTimer *timer = NotesPhases;
    if (!timer)
        return;
    ChargeCurrentPhase(timer);
    if (timer->depth > 0)
        --timer->depth;
}
