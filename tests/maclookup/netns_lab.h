#pragma once
// A small private network for the real-kernel tests: two fresh network
// namespaces joined by a veth pair. The "host" namespace holds lqa0
// (192.168.255.2/24) and an unconnected second adapter lqa1; the "peer"
// namespace answers at 192.168.255.1 with MAC 00:0c:29:3a:4b:5c.
// Traffic never leaves these namespaces.
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>

class NetnsLab {
public:
    NetnsLab();
    ~NetnsLab();
    NetnsLab(const NetnsLab&) = delete;
    NetnsLab& operator=(const NetnsLab&) = delete;

    // Empty when the lab is up; otherwise why it could not be built.
    const std::string& Failure() const { return failure; }
    const std::string& HostNamespace() const { return hostName; }
    // Runs a shell command inside the host namespace; true on exit status 0.
    bool RunInHost(const std::string& command) const;

    // Runs body in a child process that has entered the host namespace and
    // hands its result back; empty when the child failed.
    template <typename Result>
    std::optional<Result> InHost(const std::function<Result()>& body) const {
        static_assert(std::is_trivially_copyable_v<Result>);
        int channel[2];
        if (pipe(channel) != 0) return std::nullopt;
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            if (!EnterHostNamespace()) _exit(2);
            const Result result = body();
            const bool written = write(channel[1], &result, sizeof result) == sizeof result;
            _exit(written ? 0 : 3);
        }
        close(channel[1]);
        Result result;
        std::size_t got = 0;
        while (child > 0 && got < sizeof result) {
            const ssize_t n = read(channel[0], reinterpret_cast<char*>(&result) + got, sizeof result - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        close(channel[0]);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child) return std::nullopt;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got != sizeof result) return std::nullopt;
        return result;
    }

private:
    bool EnterHostNamespace() const;

    std::string hostName;
    std::string peerName;
    std::string failure;
};

// Copies text into a fixed buffer of a child's result, cut to fit.
template <std::size_t N>
void CopyText(char (&target)[N], const std::string& text) {
    std::strncpy(target, text.c_str(), N - 1);
    target[N - 1] = '\0';
}
