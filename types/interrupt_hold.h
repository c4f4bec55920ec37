// SPDX-License-Identifier: MIT
#pragma once
// Keeps the interrupts that end a program (SIGINT, SIGTERM, SIGHUP and
// SIGQUIT; on Windows Ctrl-C, Ctrl-Break and the console closing) away from
// a step that must not be cut in two: a parameter write from its
// announcement to its last report, a save from its temporary file to its
// rename or removal. An interrupt that comes meanwhile waits; when the last
// hold of the process ends it takes effect as it would have without the
// hold, with the same exit status. Holds nest and may be taken on several
// threads at once (a module's thread each): the interrupt waits for all.
//
// The interrupts are the process's, so the count of holds is too: the one
// piece of process-wide state here, kept in the platform file.

namespace lq3860 {

class InterruptHold {
public:
    // Which thread an interrupt may land on meanwhile.
    enum class ThisThread {
        Shielded,       // not this one: no interrupt cuts its reads and waits short
        Interruptible,  // this one too: its waits end early, so it can see Requested()
    };

    explicit InterruptHold(ThisThread thread = ThisThread::Shielded);
    ~InterruptHold();
    InterruptHold(const InterruptHold&) = delete;
    InterruptHold& operator=(const InterruptHold&) = delete;

    // True once an interrupt has come and waits for the holds to end.
    static bool Requested();

private:
    // The interrupts this hold blocked on its thread and unblocks at its end
    // (POSIX; one bit per interrupt).
    unsigned blockedHere_ = 0;
};

// For a worker thread (a module's, while others work on theirs): the
// interrupts go to the program's other threads, never this one, so none
// cuts this thread's reads short. Called at the thread's start.
void KeepInterruptsFromThisThread();

}  // namespace lq3860
