#pragma once
// The HID platform of Windows: SetupAPI lists the HID interfaces, hid.dll
// reads their attributes, capabilities and product strings, and reports move
// by overlapped ReadFile and WriteFile with a time limit.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_platform.h"

namespace lq3860 {

// Why the last Open failed.
enum class HidOpenFailure {
    None,
    AccessDenied,  // the system refused this user (ERROR_ACCESS_DENIED)
    InUse,         // another handle holds the module exclusively (ERROR_SHARING_VIOLATION)
    Other,         // gone, bad path, or any other error
};

// A write that the module does not take within this time fails.
inline constexpr int HID_WRITE_TIMEOUT_MS = 2000;

class WindowsHidPlatform final : public HidPlatform {
public:
    // Every present HID interface whose attributes and capabilities can be
    // read, in SetupAPI's order; the path is the interface path in UTF-8.
    std::vector<HidInterfaceInfo> ListInterfaces() override;
    // Opens for reading and writing with overlapped I/O, exclusively: while
    // it is open no other handle may read or write the module, so no other
    // program's reports mix with ours. accessDenied is set for
    // ERROR_ACCESS_DENIED; LastOpenFailure() tells the reason in full.
    std::unique_ptr<HidConnection> Open(const std::string& path, bool& accessDenied) override;
    // The reason of the last failed Open (None after a successful one).
    HidOpenFailure LastOpenFailure() const { return lastOpenFailure_; }

private:
    HidOpenFailure lastOpenFailure_ = HidOpenFailure::None;
};

}  // namespace lq3860
