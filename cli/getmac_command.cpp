// SPDX-License-Identifier: MIT
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "maclookup/mac_lookup.h"
#include "maclookup/network_adapters.h"
#include "maclookup/route_lookup.h"
#include "session/session.h"

namespace lq3860 {

namespace {

// Dotted decimal a.b.c.d, each number 0..255 with one to three digits, in
// the form the dialog builds from its four fields ("%d.%d.%d.%d").
std::optional<std::string> DialogAddressText(std::string_view text) {
    unsigned numbers[4] = {};
    std::size_t position = 0;
    for (int field = 0; field < 4; ++field) {
        if (field > 0) {
            if (position >= text.size() || text[position] != '.') return std::nullopt;
            ++position;
        }
        std::size_t digits = 0;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9' && digits < 4) {
            numbers[field] = numbers[field] * 10 + static_cast<unsigned>(text[position] - '0');
            ++position;
            ++digits;
        }
        if (digits == 0 || digits > 3 || numbers[field] > 255) return std::nullopt;
    }
    if (position != text.size()) return std::nullopt;
    char address[16];
    std::snprintf(address, sizeof address, "%u.%u.%u.%u", numbers[0], numbers[1], numbers[2], numbers[3]);
    return std::string(address);
}

struct ChosenAdapter {
    std::string name;
    int interfaceIndex = 0;
};

// The named adapter; none when the host has no adapter of that name.
std::optional<ChosenAdapter> NamedAdapter(const std::string& name) {
    const std::optional<int> index = FindHostAdapterIndex(name);
    if (!index) return std::nullopt;
    return ChosenAdapter{name, *index};
}

// The adapter the host's route to the address goes out of; none without a route.
std::optional<ChosenAdapter> RouteAdapter(const std::string& address) {
    const std::optional<int> index = RouteInterfaceFor(address);
    if (!index) return std::nullopt;
    for (const AdapterRecord& adapter : ListHostAdapters())
        if (adapter.interfaceIndex == *index) return ChosenAdapter{adapter.name, *index};
    return ChosenAdapter{std::to_string(*index), *index};
}

std::string HandedOffMac(const MacHandOffRecord& handOff) {
    std::string mac;
    for (const std::string& byteText : handOff.macText) {
        if (!mac.empty()) mac += '-';
        mac += byteText;
    }
    return mac;
}

}  // namespace

int RunGetMac(const ToolContext& context) {
    const std::optional<std::string> address = DialogAddressText(context.line.ipAddress);
    if (!address) {
        context.Message("'" + context.line.ipAddress + "' is no IPv4 address (a.b.c.d)");
        return EXIT_USAGE;
    }
    const std::optional<ChosenAdapter> adapter =
        context.line.adapterName ? NamedAdapter(*context.line.adapterName) : RouteAdapter(*address);
    if (!adapter && context.line.adapterName) {
        context.Message("no network adapter named '" + *context.line.adapterName + "'");
        return EXIT_USAGE;
    }
    if (!adapter) {
        context.Message("no route to " + *address + " (name the adapter with --adapter)");
        return EXIT_MAC_NOT_FOUND;
    }
    Session session(nullptr);
    if (context.line.verbose) session.debugOutput.SetSink([&context](std::string_view text) { context.Debug(text); });
    const GetMacOutcome outcome =
        MacLookup(session.MacHandOff, session.debugOutput)
            .GetMacAddressOfHost(*address, adapter->interfaceIndex,
                                 [&context](const std::string& text) { context.Message(text); });
    if (outcome == GetMacOutcome::ProbeFailed || outcome == GetMacOutcome::NoPermission) {
        context.Message(GET_MAC_ERROR_MESSAGE);
    }
    if (const std::string_view status = GetMacStatusText(outcome); !status.empty()) context.Message(status);
    if (outcome != GetMacOutcome::Found) return EXIT_MAC_NOT_FOUND;

    const std::string mac = HandedOffMac(session.MacHandOff);
    if (context.line.json) {
        context.PrintJson(JsonObject().AddText("ip", *address).AddText("adapter", adapter->name).AddText("mac", mac));
    } else {
        context.out << mac << '\n';
    }
    return EXIT_OK;
}

}  // namespace lq3860
