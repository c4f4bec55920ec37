// SPDX-License-Identifier: MIT
#include "simulated_module/simulated_platform.h"

#include <algorithm>
#include <utility>

namespace lq3860 {

namespace {

class SimulatedConnection : public HidConnection {
public:
    SimulatedConnection(std::weak_ptr<SimulatedInterface> target, const Pause& readWait,
                        std::shared_ptr<std::mutex> lock)
        : target_(std::move(target)), readWait_(readWait), lock_(std::move(lock)) {}
    ~SimulatedConnection() override {
        const std::lock_guard<std::mutex> guard(*lock_);
        const std::shared_ptr<SimulatedInterface> target = target_.lock();
        if (target && holdsClaim_) target->claimed = false;
    }
    SimulatedConnection(const SimulatedConnection&) = delete;
    SimulatedConnection& operator=(const SimulatedConnection&) = delete;

    ClaimResult ClaimExclusive() override {
        const std::lock_guard<std::mutex> guard(*lock_);
        const std::shared_ptr<SimulatedInterface> target = target_.lock();
        if (!target || target->Gone()) return ClaimResult::Failed;
        if (holdsClaim_) return ClaimResult::Claimed;
        if (target->heldByAnotherProgram || target->claimed) return ClaimResult::InUse;
        target->claimed = holdsClaim_ = true;
        return ClaimResult::Claimed;
    }

    int Write(const std::uint8_t* data, std::size_t length) override {
        const std::lock_guard<std::mutex> guard(*lock_);
        const std::shared_ptr<SimulatedInterface> target = target_.lock();
        if (!target || data == nullptr) return -1;
        HidReport report{};
        std::copy_n(data, std::min(length, HID_REPORT_SIZE), report.begin());
        target->written.push_back(report);
        if (target->failWrite || target->Gone()) return -1;
        if (target->module) {
            const SimulatedModule::Response response = target->module->HandleOutputReport(report);
            for (const HidReport& reply : response.replies) {
                target->pendingInput.emplace_back(reply, response.payloadBytes, response.delayMs);
            }
        }
        return static_cast<int>(length);
    }

    int Read(std::uint8_t* data, std::size_t length, int timeoutMs) override {
        std::unique_lock<std::mutex> guard(*lock_);
        const std::shared_ptr<SimulatedInterface> target = target_.lock();
        if (!target || data == nullptr || target->failRead || target->Gone()) return -1;
        const unsigned limit = timeoutMs > 0 ? static_cast<unsigned>(timeoutMs) : 0u;
        if (target->pendingInput.empty() || target->pendingInput.front().delayMs > limit) {
            Elapse(guard, *target, limit);
            return 0;
        }
        Elapse(guard, *target, target->pendingInput.front().delayMs);
        if (target->pendingInput.empty()) return 0;  // taken by another reader while this one waited
        PendingReport pending = target->pendingInput.front();
        target->pendingInput.pop_front();
        pending.report[0] = 0;
        const std::size_t placed = std::min(length, 1 + std::min(pending.payloadBytes, HID_REPORT_SIZE - 1));
        std::copy_n(pending.report.begin(), placed, data);
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
    // A read waits `milliseconds` (nothing for 0), other connections going on
    // meanwhile; the queued reports come that much closer.
    void Elapse(std::unique_lock<std::mutex>& guard, SimulatedInterface& target, unsigned milliseconds) const {
        if (milliseconds == 0) return;
        guard.unlock();
        readWait_.Wait(milliseconds);
        guard.lock();
        for (PendingReport& pending : target.pendingInput) {
            pending.delayMs -= std::min(pending.delayMs, milliseconds);
        }
    }

    std::weak_ptr<SimulatedInterface> target_;
    const Pause& readWait_;
    std::shared_ptr<std::mutex> lock_;
    bool holdsClaim_ = false;
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
