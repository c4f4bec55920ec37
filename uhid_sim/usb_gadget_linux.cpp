// SPDX-License-Identifier: MIT
// A virtual module as a USB gadget: a configfs gadget with one HID function
// (usb_f_hid) on a free USB device controller, such as one of dummy_hcd's.
// The host's USB HID driver binds it like a real module: the report id is
// stripped, output reports come over the interrupt OUT endpoint and the name
// is the USB product string. The module reads those reports from /dev/hidgN
// without the id and writes its replies there the same way.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "types/owned_descriptor_posix.h"
#include "uhid_sim/module_transport.h"
#include "uhid_sim/report_descriptor.h"

namespace lq3860 {

namespace {

constexpr const char* GADGETS = "/sys/kernel/config/usb_gadget";
constexpr const char* CONTROLLERS = "/sys/class/udc";
constexpr std::size_t REPORT_BYTES = HID_REPORT_SIZE - 1;  // on the wire: no report id

bool WriteAttribute(const std::string& path, const std::string& value) {
    OwnedDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    return file.Valid() && ::write(file.Get(), value.data(), value.size()) == static_cast<ssize_t>(value.size());
}

std::string ReadAttribute(const std::string& path) {
    char text[64] = {};
    OwnedDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    const ssize_t count = file.Valid() ? ::read(file.Get(), text, sizeof text - 1) : -1;
    return count > 0 ? std::string(text, static_cast<std::size_t>(count)) : std::string();
}

std::vector<std::string> ControllerNames() {
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(CONTROLLERS)) {
        while (const dirent* entry = ::readdir(folder)) {
            if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
        }
        ::closedir(folder);
    }
    // dummy_udc.2 before dummy_udc.10: the gadgets of one run take the controllers in order.
    std::ranges::sort(names, [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

class UsbGadgetTransport final : public ModuleTransport {
public:
    explicit UsbGadgetTransport(SimulatedModule& module) : module_(module) {}
    ~UsbGadgetTransport() override { Remove(); }
    UsbGadgetTransport(const UsbGadgetTransport&) = delete;
    UsbGadgetTransport& operator=(const UsbGadgetTransport&) = delete;

    bool Create(const SimOptions& options, int index, std::string& error) {
        root_ = std::string(GADGETS) + "/lq3860-sim-" + std::to_string(::getpid()) + "-" + std::to_string(index);
        const auto fail = [&](const std::string& what) {
            error = "cannot make the USB gadget (" + what + "): " + std::strerror(errno);
            if (::access(GADGETS, F_OK) != 0)
                error += " (mount configfs on /sys/kernel/config and load libcomposite and usb_f_hid)";
            Remove();
            return false;
        };
        if (::mkdir(root_.c_str(), 0755) != 0) return fail(root_);
        made_ = true;
        const std::string strings = root_ + "/strings/0x409", function = root_ + "/functions/hid.usb0",
                          config = root_ + "/configs/c.1";
        // No manufacturer string: the host's HID name is then the product name alone, as over uhid.
        const std::vector<std::uint8_t> descriptor =
            BuildReportDescriptor(options.secondCollection, options.InputReportBytes());
        if (!WriteAttribute(root_ + "/idVendor", Hex(options.vendorId)) ||
            !WriteAttribute(root_ + "/idProduct", Hex(options.productId)) ||
            !WriteAttribute(root_ + "/bcdDevice", "0x0100") || !WriteAttribute(root_ + "/bcdUSB", "0x0200"))
            return fail("device ids");
        if (::mkdir(strings.c_str(), 0755) != 0 || !WriteAttribute(strings + "/serialnumber", ModuleSerial(index)) ||
            (!options.ProductName().empty() && !WriteAttribute(strings + "/product", options.ProductName())))
            return fail("strings");
        if (::mkdir(function.c_str(), 0755) != 0) return fail(errno == ENODEV ? "usb_f_hid makes at most 4" : function);
        if (!WriteAttribute(function + "/protocol", "0") || !WriteAttribute(function + "/subclass", "0") ||
            !WriteAttribute(function + "/report_length", std::to_string(REPORT_BYTES)) ||
            !WriteAttribute(function + "/report_desc", std::string(descriptor.begin(), descriptor.end())))
            return fail("HID function");
        if (::mkdir(config.c_str(), 0755) != 0 || ::symlink(function.c_str(), (config + "/hid.usb0").c_str()) != 0)
            return fail("configuration");
        if (!Bind(error)) {
            Remove();
            return false;
        }
        // The function's device number names its node: 243:2 is /dev/hidg2.
        const std::string number = ReadAttribute(function + "/dev");
        node_ = "/dev/hidg" + number.substr(std::min(number.find(':') + 1, number.size()));
        while (!node_.empty() && (node_.back() == '\n')) node_.pop_back();
        fd_.Reset(::open(node_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
        if (!fd_.Valid()) return fail(node_);
        return true;
    }

    int Descriptor() const override { return fd_.Get(); }

    // One output report as the USB HID driver sends it: the payload alone.
    // The module sees it with report id 0 in front, as every report of the
    // protocol carries it.
    bool Serve(TransportAnswer& answer) override {
        std::uint8_t data[HID_REPORT_SIZE] = {};
        const ssize_t count = ::read(fd_.Get(), data, REPORT_BYTES);
        if (count < 0) return errno == EAGAIN || errno == EINTR;
        HidReport report{};
        std::copy_n(data, static_cast<std::size_t>(count), report.begin() + 1);
        const SimulatedModule::Response response = module_.HandleOutputReport(report);
        for (const HidReport& reply : response.replies) {
            const std::size_t size = std::min(response.payloadBytes, REPORT_BYTES);
            answer.writes.emplace_back(reply.begin() + 1, reply.begin() + 1 + static_cast<std::ptrdiff_t>(size));
        }
        answer.delayMs = response.delayMs;
        answer.unplug = response.unplugged;
        return true;
    }

    // The gadget holds one input report until the host has taken it.
    SendResult Send(const TransportBytes& bytes) override {
        const ssize_t count = ::write(fd_.Get(), bytes.data(), bytes.size());
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) return SendResult::Later;
        return count == static_cast<ssize_t>(bytes.size()) ? SendResult::Sent : SendResult::Failed;
    }

    // Unbinding the controller is the host's unplug; the configfs folders go in the reverse order of their making.
    void Remove() override {
        fd_.Close();
        if (!made_) return;
        made_ = false;
        if (bound_) WriteAttribute(root_ + "/UDC", "\n");
        bound_ = false;
        ::unlink((root_ + "/configs/c.1/hid.usb0").c_str());
        for (const char* folder : {"/configs/c.1", "/functions/hid.usb0", "/strings/0x409", ""})
            ::rmdir((root_ + folder).c_str());
    }

    std::string Node() const override { return node_; }

private:
    // Takes the first controller that no other gadget holds.
    bool Bind(std::string& error) {
        for (const std::string& controller : ControllerNames()) {
            if (WriteAttribute(root_ + "/UDC", controller)) return bound_ = true;
        }
        error = std::string("no free USB device controller in ") + CONTROLLERS +
                " (load dummy_hcd, with num=N for N gadgets)";
        return false;
    }

    SimulatedModule& module_;
    std::string root_;
    std::string node_;
    OwnedDescriptor fd_;
    bool made_ = false;
    bool bound_ = false;
};

}  // namespace

std::string ModuleSerial(int index) {
    return "LQ3860SIM" + std::to_string(::getpid()) + "-" + std::to_string(index);
}

std::unique_ptr<ModuleTransport> CreateUsbGadgetTransport(const SimOptions& options, int index, SimulatedModule& module,
                                                          std::string& error) {
    auto transport = std::make_unique<UsbGadgetTransport>(module);
    if (!transport->Create(options, index, error)) return nullptr;
    return transport;
}

}  // namespace lq3860
