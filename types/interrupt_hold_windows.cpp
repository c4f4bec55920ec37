// SPDX-License-Identifier: MIT
// The interrupt hold on Windows. Ctrl-C, Ctrl-Break and the console's
// closing reach a console control handler that the system runs on a thread
// of its own. Without holds the handler passes the event on at once, and
// the system's default handler ends the program as usual; under a hold it
// notes the event and waits for the last hold to end before passing it on.
// No thread of the program is interrupted, so the holds need not shield
// one. The thread that ends the last hold waits for the handler to end the
// program, so no step after the held one runs, as with a POSIX signal.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "types/interrupt_hold.h"

namespace lq3860 {

namespace {

std::atomic<int> holds{0};
std::atomic<bool> pendingEvent{false};
std::once_flag handlerInstalled;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    // Noted before the count is read: a hold that starts meanwhile sees it.
    pendingEvent.store(true);
    while (holds.load() > 0) Sleep(1);
    return FALSE;  // the next handler, in the end the system's, ends the program
}

void InstallHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace

InterruptHold::InterruptHold(ThisThread) {
    std::call_once(handlerInstalled, InstallHandler);
    // An event that came before any hold existed is ending the program right
    // now: this step must not start.
    if (holds.fetch_add(1) == 0 && pendingEvent.load()) {
        holds.fetch_sub(1);
        for (;;) Sleep(INFINITE);
    }
}

InterruptHold::~InterruptHold() {
    if (holds.fetch_sub(1) == 1 && pendingEvent.load()) {
        for (;;) Sleep(INFINITE);
    }
}

bool InterruptHold::Requested() {
    return pendingEvent.load();
}

void KeepInterruptsFromThisThread() {}

}  // namespace lq3860
