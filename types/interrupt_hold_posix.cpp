// SPDX-License-Identifier: MIT
// The interrupt hold on POSIX systems. A handler takes the four signals
// where they would end the program (a signal the program ignores or handles
// itself is left alone): without holds it ends the program at once with the
// default action, as if it had never been handled; under a hold it notes the
// signal, and the last hold to end raises it again with the default action.
// A shielded hold blocks the signals on its own thread besides, so a system
// call of that thread (a read with a time limit) never fails with EINTR; a
// signal meant for the process then goes to another thread, or waits in the
// kernel until the hold unblocks it.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <iterator>
#include <mutex>

#include "types/interrupt_hold.h"

namespace lq3860 {

namespace {

constexpr int INTERRUPTS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

std::atomic<int> holds{0};
std::atomic<int> pendingSignal{0};
std::once_flag handlersInstalled;

// Ends the program as the signal's default action does.
void TakeEffect(int signalNumber) {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signalNumber, &standard, nullptr);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(signalNumber);
}

void OnInterrupt(int signalNumber) {
    // Noted before the count is read: a hold that starts meanwhile sees it.
    pendingSignal.store(signalNumber);
    if (holds.load() == 0) TakeEffect(signalNumber);
}

void InstallHandlers() {
    for (int signalNumber : INTERRUPTS) {
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (int other : INTERRUPTS) sigaddset(&action.sa_mask, other);
        sigaction(signalNumber, &action, nullptr);
    }
}

sigset_t InterruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : INTERRUPTS) sigaddset(&set, signalNumber);
    return set;
}

}  // namespace

InterruptHold::InterruptHold(ThisThread thread) {
    std::call_once(handlersInstalled, InstallHandlers);
    if (thread == ThisThread::Shielded) {
        const sigset_t interrupts = InterruptSet();
        sigset_t before;
        pthread_sigmask(SIG_BLOCK, &interrupts, &before);
        for (std::size_t i = 0; i < std::size(INTERRUPTS); ++i) {
            if (sigismember(&before, INTERRUPTS[i]) == 0) blockedHere_ |= 1u << i;
        }
    }
    // An interrupt that came before any hold existed is ending the program
    // right now: this step must not start.
    if (holds.fetch_add(1) == 0 && pendingSignal.load() != 0) {
        holds.fetch_sub(1);
        TakeEffect(pendingSignal.load());
    }
}

InterruptHold::~InterruptHold() {
    const bool last = holds.fetch_sub(1) == 1;
    sigset_t unblock;
    sigemptyset(&unblock);
    for (std::size_t i = 0; i < std::size(INTERRUPTS); ++i) {
        if ((blockedHere_ & (1u << i)) != 0) sigaddset(&unblock, INTERRUPTS[i]);
    }
    // A signal still waiting in the kernel for this thread arrives here and,
    // with no hold left, ends the program through the handler.
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    if (last && pendingSignal.load() != 0) TakeEffect(pendingSignal.load());
}

bool InterruptHold::Requested() {
    return pendingSignal.load() != 0;
}

void KeepInterruptsFromThisThread() {
    const sigset_t interrupts = InterruptSet();
    pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);
}

}  // namespace lq3860
