// The window with its host and a sink that only records, for the window and host tests.
#pragma once

#include "win32_api.h"

#include <gtest/gtest.h>

#include <vector>

#include "main_window.h"
#include "win32_host.h"

namespace vorivevo::test {

class RecordingSink final : public WindowEventSink {
public:
    void Record(WindowEvent event) noexcept override { events.push_back(event); }
    void RunRecorded() override { ++runs; }
    void RunRecordedTicks() noexcept override { ++tickRuns; }

    std::vector<WindowEvent> events;
    int runs = 0;
    int tickRuns = 0;
};

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { host.AttachSink(&sink); }
    void TearDown() override { host.AttachSink(nullptr); }

    HWND Control(ControlId id) const { return window.ControlWindow(id); }
    HWND Main() const { return window.Handle(); }

    MainWindow window{GetModuleHandleW(nullptr), 1};
    Win32Host host{window};
    RecordingSink sink;
};

}  // namespace vorivevo::test
