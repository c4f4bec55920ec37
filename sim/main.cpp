// lq3860-sim: virtual LQ-3860 modules on the kernel's HID stack, so the
// utility can be tried and tested on Linux without hardware.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "device/module_behaviour.h"
#include "params/config_file.h"
#include "sim/sim_options.h"
#include "sim/uhid_device.h"
#include "sim/uhid_module.h"

namespace {

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

// The stop signals stay blocked except inside the wait for events, so one
// that comes between the stopRequested test and the wait ends that wait
// instead of being lost. Returns the signal mask for the wait.
sigset_t InstallStopHandlers() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, signalNumber);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action {};
    action.sa_handler = RequestStop;  // no SA_RESTART: ppoll returns with EINTR
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signalNumber, &action, nullptr);
        sigdelset(&waitMask, signalNumber);
    }
    return waitMask;
}

struct VirtualModule {
    ModuleBehaviour behaviour;
    std::unique_ptr<UhidModule> logic;
    UhidDevice device;
};

bool FileExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

// Loads the kept parameter set (when there is one) and saves every upload.
bool PrepareState(const SimOptions& options, ModuleBehaviour& behaviour) {
    if (options.stateFile.empty()) {
        return true;
    }
    if (FileExists(options.stateFile)) {
        ModuleParamSet params = behaviour.Params();
        const ConfigLoadResult loaded = LoadConfigurationFile(options.stateFile, params);
        if (!loaded.ok) {
            std::fprintf(stderr, "lq3860-sim: %s: %s\n", options.stateFile.c_str(), loaded.message);
            return false;
        }
        behaviour.SetParams(params);
    }
    const std::string path = options.stateFile;
    behaviour.OnParamsStored([path](const ModuleParamSet& params) {
        if (!WriteFileAtomically(path, FormatConfiguration(params))) {
            std::fprintf(stderr, "lq3860-sim: cannot save the parameters to %s\n", path.c_str());
        }
    });
    return true;
}

// Moves one event of a module and writes back its answer; an unplug or a
// broken /dev/uhid destroys the device.
void ServeModule(VirtualModule& module, int number) {
    uhid_event event;
    if (!module.device.ReadEvent(event)) {
        std::fprintf(stderr, "lq3860-sim: module %d: reading /dev/uhid failed\n", number);
        module.device.Destroy();
        return;
    }
    const UhidModule::Response response = module.logic->HandleEvent(event);
    for (const uhid_event& reply : response.events) {
        if (!module.device.WriteEvent(reply)) {
            std::fprintf(stderr, "lq3860-sim: module %d: writing /dev/uhid failed\n", number);
        }
    }
    if (response.unplug) {
        module.device.Destroy();
        std::printf("lq3860-sim: module %d unplugged after %d reports\n", number, module.logic->OutputReports());
        std::fflush(stdout);
    }
}

int Run(const SimOptions& options, const sigset_t& waitMask) {
    std::vector<std::unique_ptr<VirtualModule>> modules;
    for (int i = 0; i < options.count; ++i) {
        auto module = std::make_unique<VirtualModule>();
        if (!PrepareState(options, module->behaviour)) {
            return 1;
        }
        module->logic = std::make_unique<UhidModule>(module->behaviour, options.silent, options.unplugAfter);
        std::string error;
        if (!module->device.Create(BuildCreateEvent(options, i), error)) {
            std::fprintf(stderr, "lq3860-sim: %s\n", error.c_str());
            return 1;
        }
        modules.push_back(std::move(module));
    }
    std::printf("lq3860-sim: %d virtual module(s) created, vendor %04x product %04x\n", options.count,
                options.vendorId, options.productId);
    std::fflush(stdout);

    while (!stopRequested) {
        std::vector<pollfd> fds;
        std::vector<int> owners;
        for (std::size_t i = 0; i < modules.size(); ++i) {
            if (modules[i]->device.Present()) {
                fds.push_back({modules[i]->device.Descriptor(), POLLIN, 0});
                owners.push_back(static_cast<int>(i));
            }
        }
        if (fds.empty()) {
            return 0;  // every module has been unplugged
        }
        if (::ppoll(fds.data(), fds.size(), nullptr, &waitMask) < 0) {
            if (errno == EINTR) continue;
            std::perror("lq3860-sim: ppoll");
            return 1;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents != 0) {
                ServeModule(*modules[static_cast<std::size_t>(owners[i])], owners[i]);
            }
        }
    }
    return 0;  // the modules are destroyed with their devices
}

}  // namespace

int main(int argc, char** argv) {
    const SimOptionsResult parsed = ParseSimOptions(argc, argv);
    if (!parsed.ok) {
        std::fprintf(stderr, "lq3860-sim: %s\nTry 'lq3860-sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(SimUsage(), stdout);
        return 0;
    }
    const sigset_t waitMask = InstallStopHandlers();
    return Run(parsed.options, waitMask);
}
