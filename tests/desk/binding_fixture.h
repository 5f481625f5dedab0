// Shared pieces of the binding tests: recording dialogs, output and clock, and access to the
// test-only device libraries.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "binding/device_binding.h"
#include "core/interfaces.h"
#include "stubs/stub_control.h"

namespace zeq::desk::test {

class RecordingDialogs : public UserDialogs {
  public:
    void message(std::string_view text) override { messages.emplace_back(text); }
    Answer askYesNo(std::string_view text, Answer d) override {
        messages.emplace_back(text);
        return d;
    }
    Answer askYesNoCancel(std::string_view text, Answer d) override {
        messages.emplace_back(text);
        return d;
    }
    std::vector<std::string> messages;
};

class RecordingOutput : public OutputSink {
  public:
    void append(std::string_view t) override {
        std::lock_guard lock(mutex);
        text += t;
    }
    std::string take() {
        std::lock_guard lock(mutex);
        return std::exchange(text, {});
    }
    std::mutex mutex;
    std::string text;
};

// A clock whose sleeps only count.
class CountingClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override { return m_start + slept; }
    void sleepFor(std::chrono::milliseconds ms) override {
        ++sleeps;
        slept += ms;
    }
    int sleeps = 0;
    std::chrono::milliseconds slept{0};

  private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

inline std::string stubDir(const char* variant) {
    return std::string(ZEQ_STUB_DIR) + "/" + variant;
}

// The control block of the stub library loaded from `dir`.
inline zeqstub::Control* stubControl(const std::string& path) {
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return nullptr;
    auto control = reinterpret_cast<zeqstub::Control* (*)()>(dlsym(h, "zeqstub_control"));
    dlclose(h);  // the binding keeps its own reference
    return control ? control() : nullptr;
}

inline void stubNotify(const std::string& path, std::uint32_t message, std::uint32_t wParam,
                       std::int32_t lParam) {
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(h, nullptr);
    auto notify = reinterpret_cast<void (*)(std::uint32_t, std::uint32_t, std::int32_t)>(
        dlsym(h, "zeqstub_notify"));
    ASSERT_NE(notify, nullptr);
    notify(message, wParam, lParam);
    dlclose(h);
}

// Every test starts with the process-wide binding unloaded and its messages recorded.
class BindingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeviceBinding& b = deviceBinding();
        b.unload();
        b.setDialogs(&dialogs);
        b.setEndProgram([this](int status) { endStatus = status; });
        b.setCardType(kCardUsb);
    }
    void TearDown() override {
        DeviceBinding& b = deviceBinding();
        b.unload();
        b.setDialogs(nullptr);
        b.setEndProgram(nullptr);
        b.setNotifyHandler(nullptr);
        b.setCardType(kCardUsb);
    }

    // Loads the stub variant (a folder under the stub directory) as the given card type and
    // returns its control block, cleared.
    zeqstub::Control* loadStub(const char* variant, int cardType = kCardUsb) {
        DeviceBinding& b = deviceBinding();
        b.setCardType(cardType);
        b.setLibraryDir(stubDir(variant));
        if (b.load() != 0) return nullptr;
        return freshStub();
    }
    // The control block of the loaded stub, cleared (the stub stays mapped between loads, so
    // its state would otherwise carry over).
    zeqstub::Control* freshStub() {
        zeqstub::Control* c = stubControl(libraryPath());
        if (c) {
            auto notify = c->notify;
            auto context = c->notifyContext;
            *c = zeqstub::Control{};
            c->notify = notify;
            c->notifyContext = context;
        }
        return c;
    }
    std::string libraryPath() const {
        const DeviceBinding& b = deviceBinding();
        return b.libraryDir() + "/" + DeviceBinding::libraryFileName(b.cardType());
    }

    RecordingDialogs dialogs;
    int endStatus = -1;
};

}  // namespace zeq::desk::test
