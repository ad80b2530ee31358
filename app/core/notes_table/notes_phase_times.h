// Where the time of a load or save goes, for the notes benchmark. The program
// never sets the counters, and then each mark costs one test of a pointer.
#pragma once

#include <cstdint>

enum NotesPhase {
    PHASE_READING,     // reading and splitting the files
    PHASE_WINDOWS,     // creating note windows and their controls
    PHASE_FONTS,       // making fonts and measuring title strips
    PHASE_STREAM_IN,   // a note's text into its control
    PHASE_SHOWING,     // showing and painting the notes
    PHASE_STREAM_OUT,  // taking a note's content from its control
    PHASE_PROGRESS,    // the progress dialog and the tray icon
    PHASE_WRITING,     // writing, flushing and renaming the files
    PHASE_OTHER,
    PHASE_COUNT
};

enum { NOTES_PHASE_DEPTH = 16 };

// One measured load or save: milliseconds per phase and the marks open now.
// The measuring caller owns it; the program never sets one.
struct NotesPhaseTimer {
    double *ms;
    int stack[NOTES_PHASE_DEPTH];
    int depth;
    int64_t since;
};

// The timer of the load or save being measured, or null; GUI thread only.
extern NotesPhaseTimer *NotesPhases;

// Time inside a phase mark goes to its phase, not to the one around it.
void EnterNotesPhase(int phase);
void LeaveNotesPhase(void);

struct NotesPhaseMark {
    explicit NotesPhaseMark(int phase)
    {
        if (NotesPhases)
            EnterNotesPhase(phase);
    }
    ~NotesPhaseMark()
    {
        if (NotesPhases)
            LeaveNotesPhase();
    }
    NotesPhaseMark(const NotesPhaseMark &) = delete;
    NotesPhaseMark &operator=(const NotesPhaseMark &) = delete;
};
