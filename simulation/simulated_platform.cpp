#include "simulation/simulated_platform.h"

#include <algorithm>
#include <utility>

namespace lq3860 {

namespace {

class SimulatedConnection : public HidConnection {
public:
    SimulatedConnection(std::weak_ptr<SimulatedInterface> target, const Pause& readWait,
                        std::shared_ptr<std::mutex> lock)
        : target_(std::move(target)), readWait_(readWait), lock_(std::move(lock)) {}

    int Write(const std::uint8_t* data, std::size_t length) override {
        const std::lock_guard<std::mutex> guard(*lock_);
        const std::shared_ptr<SimulatedInterface> target = target_.lock();
        if (!target || data == nullptr) return -1;
        HidReport report{};
        std::copy_n(data, std::min(length, HID_REPORT_SIZE), report.begin());
        target->written.push_back(report);
        if (target->failWrite || target->Gone()) return -1;
        if (target->module) {
            for (const HidReport& reply : target->module->HandleOutputReport(report).replies) {
                target->pendingInput.push_back(reply);
            }
        }
        return static_cast<int>(length);
    }

    int Read(std::uint8_t* data, std::size_t length, int timeoutMs) override {
        std::unique_lock<std::mutex> guard(*lock_);
        const std::shared_ptr<SimulatedInterface> target = target_.lock();
        if (!target || data == nullptr || target->failRead || target->Gone()) return -1;
        if (target->pendingInput.empty()) {
            guard.unlock();  // other connections go on while this one waits
            readWait_.Wait(timeoutMs > 0 ? static_cast<unsigned>(timeoutMs) : 0u);
            return 0;
        }
        HidReport report = target->pendingInput.front();
        target->pendingInput.pop_front();
        report[0] = 0;
        const std::size_t placed = std::min(length, HID_REPORT_SIZE);
        std::copy_n(report.begin(), placed, data);
        return static_cast<int>(placed);
    }

    bool ProductString(std::u16string& name) override {
        const std::lock_guard<std::mutex> guard(*lock_);
        const std::shared_ptr<SimulatedInterface> target = target_.lock();
        if (!target || target->Gone() || !target->productName) return false;
        name = *target->productName;
        return true;
    }

private:
    std::weak_ptr<SimulatedInterface> target_;
    const Pause& readWait_;
    std::shared_ptr<std::mutex> lock_;
};

}  // namespace

SimulatedInterface& SimulatedPlatform::AddModule(std::optional<std::u16string> productName) {
    SimulatedInterface module;
    module.productName = std::move(productName);
    module.module = std::make_shared<SimulatedModule>();
    return AddInterface(std::move(module));
}

SimulatedInterface& SimulatedPlatform::AddInterface(SimulatedInterface interface) {
    const std::lock_guard<std::mutex> guard(*lock_);
    const int number = nextPathNumber_++;
    if (interface.path.empty()) interface.path = "sim:" + std::to_string(number);
    interfaces_.push_back(std::make_shared<SimulatedInterface>(std::move(interface)));
    return *interfaces_.back();
}

std::vector<HidInterfaceInfo> SimulatedPlatform::ListInterfaces() {
    const std::lock_guard<std::mutex> guard(*lock_);
    std::vector<HidInterfaceInfo> list;
    for (const auto& interface : interfaces_) {
        if (interface->Gone()) continue;
        list.push_back({interface->path, interface->vendorId, interface->usagePage, interface->usage});
    }
    return list;
}

std::unique_ptr<HidConnection> SimulatedPlatform::Open(const std::string& path, bool& accessDenied) {
    accessDenied = false;
    const std::lock_guard<std::mutex> guard(*lock_);
    const auto found = std::find_if(interfaces_.begin(), interfaces_.end(),
                                    [&path](const auto& interface) { return interface->path == path; });
    if (found == interfaces_.end()) return nullptr;
    SimulatedInterface& interface = **found;
    ++interface.openCount;
    if (interface.Gone() || interface.failOpen) return nullptr;
    if (interface.denyAccess) {
        accessDenied = true;
        return nullptr;
    }
    return std::make_unique<SimulatedConnection>(*found, readWait, lock_);
}

}  // namespace lq3860
