// SPDX-License-Identifier: MIT
// The process of lq3860ctl on Windows: arguments from the wide command line
// as UTF-8, binary standard streams, and UTF-16 text for a console.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>

#include "cli/console.h"
#include "program/program_arguments.h"
#include "program/standard_output.h"
#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

// In the C runtime's text mode every "\n" written becomes "\r\n", and reading
// drops CR and stops at Ctrl-Z. A stream without a descriptor (no console)
// is left alone.
void UseBinaryStandardStreams() {
    for (FILE* stream : {stdin, stdout, stderr}) {
        const int descriptor = _fileno(stream);
        if (descriptor >= 0) _setmode(descriptor, _O_BINARY);
    }
}

// The length of `text` up to the last whole UTF-8 character: a character
// whose bytes have not all arrived waits for the rest.
std::size_t WholeCharactersLength(std::string_view text) {
    const std::size_t end = text.size();
    for (std::size_t back = 1; back <= 3 && back <= end; ++back) {
        const auto byte = static_cast<unsigned char>(text[end - back]);
        if ((byte & 0xc0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t needed = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc0 ? 2 : 1;
        return needed > back ? end - back : end;
    }
    return end;
}

// A stream buffer that hands UTF-8 text to a console as UTF-16. Text is kept
// until the stream is flushed (std::endl, flush(), the end), whole
// characters only. Bytes that are no UTF-8 show as U+FFFD.
class ConsoleBuffer final : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ~ConsoleBuffer() override { sync(); }
    ConsoleBuffer(const ConsoleBuffer&) = delete;
    ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? traits_type::not_eof(c) : c;
        pending_.push_back(traits_type::to_char_type(c));
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        const std::size_t whole = WholeCharactersLength(pending_);
        if (whole == 0) return 0;
        const std::wstring wide = WideOf(std::string_view(pending_).substr(0, whole));
        pending_.erase(0, whole);
        for (std::size_t done = 0; done < wide.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 0x4000));
            if (!WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) || written == 0) return -1;
            done += written;
        }
        return 0;
    }

private:
    static std::wstring WideOf(std::string_view text) {
        const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
        return wide;
    }

    HANDLE console_;
    std::string pending_;
};

// The console behind a standard handle; null for a pipe, a file or none.
HANDLE ConsoleOf(DWORD standardHandle) {
    HANDLE handle = GetStdHandle(standardHandle);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
    return handle;
}

// The C runtime says EINVAL where a pipe's reader has gone (ERROR_NO_DATA);
// POSIX, and so the message, says EPIPE ("Broken pipe").
int PosixReason(int error) {
    const bool pipe = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE;
    return error == EINVAL && pipe ? EPIPE : error;
}

}  // namespace

bool StandardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::vector<std::string> StartConsoleProgram(int argc, char** argv) {
    UseBinaryStandardStreams();
    return ProgramArguments(argc, argv);
}

StandardStreams::StandardStreams() {
    if (HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) {
        outConsole_ = std::make_unique<ConsoleBuffer>(console);
        out_ = std::make_unique<std::ostream>(outConsole_.get());
    }
    if (HANDLE console = ConsoleOf(STD_ERROR_HANDLE)) {
        errConsole_ = std::make_unique<ConsoleBuffer>(console);
        err_ = std::make_unique<std::ostream>(errConsole_.get());
        // As std::cerr: every message shows at once, after the output before it.
        err_->setf(std::ios::unitbuf);
        err_->tie(&Out());
    }
}

int StandardStreams::Finish(const char* program, int status, std::string_view output) {
    if (!out_) return FinishStandardOutput(program, status, output, PosixReason);
    *out_ << output;
    out_->flush();
    if (*out_) return status;
    Err() << program << ": write error\n";
    return status == 0 ? 1 : status;
}

StandardStreams::~StandardStreams() {
    if (out_) out_->flush();
    if (err_) err_->flush();
}

}  // namespace lq3860
