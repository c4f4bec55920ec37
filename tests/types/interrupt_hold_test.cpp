// SPDX-License-Identifier: MIT
// The interrupt hold on POSIX. A signal ends the process, so every case runs
// in a child process of its own (a death test) and is judged by how the
// child ended and what it wrote to stderr.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "types/interrupt_hold.h"

namespace lq3860 {

namespace {

constexpr int INTERRUPTS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void Say(const char* text) {
    std::fputs(text, stderr);
    std::fflush(stderr);
}

}  // namespace

// Under a hold a signal waits; when the hold ends it ends the process as its
// default action does. Without a hold it does so at once.
TEST(InterruptHold, SignalTakesEffectWhenTheHoldEnds) {
    for (const int signalNumber : INTERRUPTS) {
        EXPECT_EXIT(
            {
                {
                    const InterruptHold hold;
                    raise(signalNumber);
                    Say("held to the end\n");
                }
                Say("after the hold\n");
                std::exit(0);
            },
            testing::KilledBySignal(signalNumber), "held to the end\n$");
        EXPECT_EXIT(
            {
                { const InterruptHold earlier; }
                raise(signalNumber);
                Say("not held\n");
                std::exit(0);
            },
            testing::KilledBySignal(signalNumber), "^$");
    }
}

// Holds nest and span threads: a signal that lands on a thread without a
// hold waits for the last hold of any thread, and a held thread's waits are
// not cut short by it.
TEST(InterruptHold, LastHoldOfAnyThreadLetsItGo) {
    EXPECT_EXIT(
        {
            std::thread worker([] {
                const InterruptHold hold;
                int pipeEnds[2];
                if (::pipe(pipeEnds) != 0) std::exit(3);
                pollfd wait{pipeEnds[0], POLLIN, 0};
                const int woken = ::poll(&wait, 1, 300);  // the signal comes meanwhile
                std::fprintf(stderr, "worker waited to its end: %d\n", woken);
                { const InterruptHold nested; }
                Say("worker done\n");
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::kill(::getpid(), SIGTERM);
            Say("main goes on\n");
            worker.join();
            Say("after the last hold\n");
            std::exit(0);
        },
        testing::KilledBySignal(SIGTERM), "main goes on\nworker waited to its end: 0\nworker done\n$");
}

// A hold whose own thread takes interrupts sees that one came; a signal the
// program ignores stays ignored.
TEST(InterruptHold, RequestedAndIgnoredSignals) {
    EXPECT_EXIT(
        {
            const InterruptHold hold(InterruptHold::ThisThread::Interruptible);
            Say(InterruptHold::Requested() ? "early\n" : "none yet\n");
            raise(SIGINT);
            Say(InterruptHold::Requested() ? "requested\n" : "missed\n");
        },
        testing::KilledBySignal(SIGINT), "none yet\nrequested\n$");
    EXPECT_EXIT(
        {
            ::signal(SIGHUP, SIG_IGN);
            { const InterruptHold hold; }
            raise(SIGHUP);
            Say("still here\n");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "still here\n$");
}

}  // namespace lq3860
