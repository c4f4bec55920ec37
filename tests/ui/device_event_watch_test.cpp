// Device events of a monitor with a descriptor (as udev's) reach their
// handler through the Qt event loop, in order, and only there.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/device_event_watch.h"

namespace lq3860 {

namespace {

// Events behind a pipe: the descriptor turns readable when one is posted.
class PipeMonitor : public HotplugMonitor {
public:
    PipeMonitor() { EXPECT_EQ(pipe2(pipe_, O_NONBLOCK | O_CLOEXEC), 0); }
    ~PipeMonitor() override {
        close(pipe_[0]);
        close(pipe_[1]);
    }
    int Descriptor() const override { return pipe_[0]; }
    void SetWakeUp(std::function<void()>) override { ++wakeUpsSet; }
    std::vector<DeviceEvent> TakeEvents() override {
        char drained[16];
        while (read(pipe_[0], drained, sizeof drained) > 0) {}
        return std::exchange(events_, {});
    }
    void Post(DeviceEvent event) {
        events_.push_back(std::move(event));
        EXPECT_EQ(write(pipe_[1], "e", 1), 1);
    }
    int wakeUpsSet = 0;

private:
    int pipe_[2] = {-1, -1};
    std::vector<DeviceEvent> events_;
};

TEST(DeviceEventWatch, DescriptorEventsReachTheHandlerThroughTheEventLoopInOrder) {
    PipeMonitor monitor;
    std::vector<std::string> seen;
    DeviceEventWatch watch(monitor, [&seen](const DeviceEvent& event) {
        seen.push_back((event.kind == DeviceEvent::Kind::Added ? "+" : "-") + event.path);
    });
    monitor.Post({DeviceEvent::Kind::Added, "/dev/hidraw3", 0x7e3a});
    monitor.Post({DeviceEvent::Kind::Removed, "/dev/hidraw1", 0x046d});
    EXPECT_TRUE(seen.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"+/dev/hidraw3", "-/dev/hidraw1"}));
    QCoreApplication::processEvents();  // taken once
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(monitor.wakeUpsSet, 0);  // a descriptor needs no wake-up
}

}  // namespace

}  // namespace lq3860
