// Where the time of a load or save goes, for the notes benchmark. The program
// never sets the counters, and then each mark costs one test of a pointer.
#pragma once

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

// Milliseconds per phase, added to while the pointer is set; GUI thread only.
extern double *NotesPhaseMs;

// Time inside a phase mark goes to its phase, not to the one around it.
void EnterNotesPhase(int phase);
void LeaveNotesPhase(void);

struct NotesPhaseMark {
    explicit NotesPhaseMark(int phase)
    {
        if (NotesPhaseMs)
            EnterNotesPhase(phase);
    }
    ~NotesPhaseMark()
    {
        if (NotesPhaseMs)
            LeaveNotesPhase();
    }
    NotesPhaseMark(const NotesPhaseMark &) = delete;
    NotesPhaseMark &operator=(const NotesPhaseMark &) = delete;
};
