// SPDX-License-Identifier: MIT
// A whole lq3860ctl session against a hostile module: the input decides its
// product string, the outcome of every open, claim, write and read, and what
// it answers (nothing, the faithful reply, the reply twice or cut short, or
// reports of its own of any length, longer than a report too). Every command
// runs with text and with JSON output, one after the other on the same
// module, so reports one run leaves behind meet the next.
//
// Properties:
// - a read that waits for a reply takes only a report queued in answer to
//   the last output report: nothing left from before stands in for a reply;
// - no result depends on bytes the module did not send: the same session on
//   a platform that scribbles over the unsent part of every read buffer gives
//   the same outputs, byte for byte;
// - text output shows no control character besides its line ends and the
//   list's tabs, JSON output none at all, both in well-formed UTF-8 (the
//   configuration text of "read" is the file format and is left out).
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_tool.h"
#include "device/hid_device_table.h"
#include "device/unicode_text.h"
#include "fuzz_check.h"
#include "simulated_module/module_behaviour.h"

namespace lq3860 {
namespace {

constexpr std::uint8_t REFUSE = 0xFF, REFUSE_OTHERWISE = 0xFE;  // outcome bytes; others mean success
constexpr std::size_t LONGEST_REPORT = 80;                      // longer than a read buffer of 65

struct QueuedReport {
    std::vector<std::uint8_t> bytes;  // byte 0 the report id
    unsigned answers;                 // the output report it answers (its number)
};

// The module and its link. Bytes run out as zeros, which mean the faithful path.
class HostilePlatform : public HidPlatform {
public:
    HostilePlatform(const std::uint8_t* data, std::size_t size, bool scribble)
        : input_(data, size), scribble_(scribble) {}

    std::vector<HidInterfaceInfo> ListInterfaces() override {
        return {{"hostile:0", LQ3860_VENDOR_ID, LQ3860_USAGE_PAGE, LQ3860_USAGE}};
    }

    std::unique_ptr<HidConnection> Open(const std::string&, bool& accessDenied) override {
        const std::uint8_t outcome = input_.ConsumeIntegral<std::uint8_t>();
        accessDenied = outcome == REFUSE_OTHERWISE;
        if (outcome == REFUSE || outcome == REFUSE_OTHERWISE) return nullptr;
        return std::make_unique<Connection>(*this);
    }

private:
    class Connection : public HidConnection {
    public:
        explicit Connection(HostilePlatform& platform) : platform_(platform) {}
        ClaimResult ClaimExclusive() override {
            const std::uint8_t outcome = platform_.input_.ConsumeIntegral<std::uint8_t>();
            if (outcome == REFUSE) return ClaimResult::InUse;
            return outcome == REFUSE_OTHERWISE ? ClaimResult::Failed : ClaimResult::Claimed;
        }
        int Write(const std::uint8_t* data, std::size_t length) override {
            if (broken_ || platform_.input_.ConsumeIntegral<std::uint8_t>() == REFUSE) return Break();
            platform_.Answer(data, length);
            return static_cast<int>(length);
        }
        int Read(std::uint8_t* data, std::size_t length, int timeoutMs) override {
            if (broken_ || platform_.input_.ConsumeIntegral<std::uint8_t>() == REFUSE) return Break();
            return platform_.Deliver(data, length, timeoutMs);
        }
        bool ProductString(std::u16string& name) override {
            FuzzedDataProvider& input = platform_.input_;
            if (input.ConsumeIntegral<std::uint8_t>() == REFUSE) return false;
            name.resize(input.ConsumeIntegralInRange<std::size_t>(0, 140));
            for (char16_t& unit : name) unit = input.ConsumeIntegral<std::uint16_t>();
            return true;
        }

    private:
        int Break() {
            broken_ = true;  // a failed transfer: the module is gone for this connection
            return -1;
        }
        HostilePlatform& platform_;
        bool broken_ = false;
    };

    // What the module queues in answer to one output report.
    void Answer(const std::uint8_t* data, std::size_t length) {
        HidReport sent{};
        std::copy_n(data, std::min(length, sent.size()), sent.begin());
        const std::optional<HidReport> faithful = behaviour_.HandleOutputReport(sent);
        ++outputReports_;
        const std::uint8_t how = input_.ConsumeIntegral<std::uint8_t>();
        const unsigned cut = how >> 2;  // 0: whole; 1..63: payload bytes kept
        std::vector<std::uint8_t> reply;
        if (faithful) reply.assign(faithful->begin(), faithful->begin() + (cut > 0 && cut < 64 ? 1 + cut : 65));
        switch (how & 3) {
            case 0:
                if (faithful) Queue(reply);
                break;
            case 1: break;  // silent
            case 2:
                if (faithful) Queue(reply), Queue(reply);
                break;
            default:
                for (unsigned i = 0; i <= cut % 3; ++i) {
                    const std::size_t size = input_.ConsumeIntegralInRange<std::size_t>(1, LONGEST_REPORT);
                    std::vector<std::uint8_t> own = input_.ConsumeBytes<std::uint8_t>(size);
                    own.resize(size, 0);
                    Queue(own);
                }
        }
    }
    void Queue(std::vector<std::uint8_t> bytes) { queue_.push_back({std::move(bytes), outputReports_}); }

    int Deliver(std::uint8_t* data, std::size_t length, int timeoutMs) {
        if (queue_.empty()) return 0;  // nothing within the time limit
        const QueuedReport report = queue_.front();
        queue_.pop_front();
        // A read that waits is the read of a reply: it must answer the last output report.
        if (timeoutMs > 0) FUZZ_CHECK(report.answers == outputReports_);
        const std::size_t placed = std::min(length, report.bytes.size());
        std::copy_n(report.bytes.begin(), placed, data);
        if (scribble_) {
            for (std::size_t i = placed; i < length; ++i) data[i] = static_cast<std::uint8_t>(0xA5 ^ i);
        }
        return static_cast<int>(placed);
    }

    FuzzedDataProvider input_;
    bool scribble_;
    ModuleBehaviour behaviour_;
    std::deque<QueuedReport> queue_;
    unsigned outputReports_ = 0;
};

// A configuration file for "write", made once.
const std::string& ConfigPath() {
    static const std::string path = [] {
        char name[] = "/tmp/lq3860-session-fuzzer-XXXXXX";
        const int descriptor = mkstemp(name);
        FUZZ_CHECK(descriptor >= 0);
        const std::string text =
            "[G1]\r\n00,06,04,\r\n[G2]\r\nNet,\r\n[G3]\r\npassphrase,\r\n[G4]\r\n00,0C,29,38,60,01,\r\n[END]\r\n";
        FUZZ_CHECK(write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size()));
        close(descriptor);
        return std::string(name);
    }();
    return path;
}

// No control character other than those `allowed`, and well-formed UTF-8.
bool ShowsNoControls(const std::string& text, std::string_view allowed) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 || c == 0x7F) && allowed.find(static_cast<char>(c)) == std::string_view::npos) return false;
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8At(text, i);
        if (sequence.length == 0 || sequence.codePoint <= 0x9F) return false;
        i += sequence.length;
    }
    return true;
}

// Every command with text and JSON output; the outputs of all runs in one text.
std::string RunSession(const std::uint8_t* data, std::size_t size, bool scribble) {
    HostilePlatform platform(data, size, scribble);
    const std::vector<std::vector<std::string>> commands = {
        {"list"}, {"info"}, {"signal"}, {"read"}, {"write", ConfigPath()},
    };
    std::string outputs;
    for (const std::vector<std::string>& command : commands) {
        for (const bool json : {false, true}) {
            std::vector<std::string> arguments = command;
            if (json) arguments.insert(arguments.begin(), "--json");
            std::ostringstream out, err;
            const int status = RunTool(arguments, out, err, {&platform, [](unsigned) {}});
            const bool configText = command[0] == "read" && !json;
            FUZZ_CHECK(configText || ShowsNoControls(out.str(), json ? "\n" : "\n\t"));
            FUZZ_CHECK(ShowsNoControls(err.str(), "\n"));
            outputs += std::to_string(status) + '|' + out.str() + '|' + err.str() + '\n';
        }
    }
    return outputs;
}

}  // namespace
}  // namespace lq3860

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lq3860;
    FUZZ_CHECK(RunSession(data, size, false) == RunSession(data, size, true));
    return 0;
}
