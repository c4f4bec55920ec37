// SPDX-License-Identifier: MIT
// A virtual module on the kernel's HID stack through /dev/uhid.
#include <cstdio>
#include <cstring>

#include "uhid_sim/module_transport.h"
#include "uhid_sim/uhid_device.h"
#include "uhid_sim/uhid_module.h"

namespace lq3860 {

namespace {

class UhidTransport final : public ModuleTransport {
public:
    explicit UhidTransport(SimulatedModule& module) : logic_(module) {}

    bool Create(const uhid_event& createEvent, std::string& error) { return device_.Create(createEvent, error); }

    int Descriptor() const override { return device_.Present() ? device_.Descriptor() : -1; }

    bool Serve(TransportAnswer& answer) override {
        uhid_event event;
        if (!device_.ReadEvent(event)) return false;
        const UhidModule::Response response = logic_.HandleEvent(event);
        for (const uhid_event& reply : response.events) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(&reply);
            answer.writes.emplace_back(bytes, bytes + sizeof reply);
        }
        answer.delayMs = response.delayMs;
        answer.unplug = response.unplug;
        return true;
    }

    SendResult Send(const TransportBytes& bytes) override {
        uhid_event event;
        if (bytes.size() != sizeof event) return SendResult::Failed;
        std::memcpy(&event, bytes.data(), sizeof event);
        return device_.WriteEvent(event) ? SendResult::Sent : SendResult::Failed;
    }

    void Remove() override { device_.Destroy(); }
    std::string Node() const override { return "/dev/uhid"; }

private:
    UhidModule logic_;
    UhidDevice device_;
};

}  // namespace

std::unique_ptr<ModuleTransport> CreateUhidTransport(const SimOptions& options, int index, SimulatedModule& module,
                                                     std::string& error) {
    auto transport = std::make_unique<UhidTransport>(module);
    uhid_event create = BuildCreateEvent(options, index);
    const std::string serial = ModuleSerial(index);
    std::snprintf(reinterpret_cast<char*>(create.u.create2.uniq), sizeof create.u.create2.uniq, "%s", serial.c_str());
    if (!transport->Create(create, error)) return nullptr;
    return transport;
}

}  // namespace lq3860
