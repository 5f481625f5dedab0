// Shared pieces of the tool core tests: boards with a virtual card (step clock) or with the stub
// library connected as board 0.
#pragma once

#include <cstdlib>

#include "binding/boards.h"
#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "desk/binding_fixture.h"

namespace zeq::desk::test {

inline int paramAddress(const char* name) {
    ParamRow row{};
    return paramCatalogue().findByName(name, &row) >= 0 ? row.address : -1;
}

// One virtual card, connected as board 0, its card time advancing per call.
class SimToolTest : public BindingTest {
  protected:
    void SetUp() override {
        BindingTest::SetUp();
        ::setenv("ZEQLINK_SIM_CLOCK", "step", 1);
        ::setenv("ZEQLINK_SIM", "1", 1);
        deviceBinding().setLibraryDir(ZEQ_DLL_DIR);
        ASSERT_EQ(deviceBinding().load(), 0);
        boards.search();
        ASSERT_EQ(boards.connectDevice(0, 0), 0);
        h = boards.handle(0);
        output.take();
    }
    void TearDown() override {
        for (int b = 0; b < Boards::kBoardCount; ++b) {
            ZEQ_HANDLE x = boards.handle(b);
            if (x) myClose(&x);
        }
        ::unsetenv("ZEQLINK_SIM");
        ::unsetenv("ZEQLINK_SIM_CLOCK");
        BindingTest::TearDown();
    }
    void write16(const char* name, int axis, int value) {
        ASSERT_EQ(myWriteParamWord(h, axis, paramAddress(name), value), 0) << name;
    }
    void write32(const char* name, int axis, int value) {
        ASSERT_EQ(myWriteParam(h, axis, paramAddress(name), value), 0) << name;
    }
    void write48(const char* name, int axis, std::int64_t value) {
        ASSERT_EQ(myWriteParamDouble(h, axis, paramAddress(name), value), 0) << name;
    }
    std::int32_t read32(const char* name, int axis) {
        int status = -1;
        const std::int32_t v = myReadParam(h, axis, paramAddress(name), &status);
        EXPECT_EQ(status, 0) << name;
        return v;
    }
    int read16(const char* name, int axis) {
        int status = -1;
        const int v = myReadParamWord(h, axis, paramAddress(name), &status);
        EXPECT_EQ(status, 0) << name;
        return v;
    }

    RecordingOutput output;
    CountingClock clock;
    Boards boards{deviceBinding(), output, dialogs, clock};
    ZEQ_HANDLE h = 0;
};

// The stub library with one device connected as board 0; its results are set per test.
class StubToolTest : public BindingTest {
  protected:
    void SetUp() override {
        BindingTest::SetUp();
        stub = loadStub("usb");
        ASSERT_NE(stub, nullptr);
        zeqstub::Device d;
        d.description = "ZEQ-A";
        d.location = 1;
        stub->devices.push_back(d);
        boards.search();
        ASSERT_EQ(boards.connectDevice(0, 0), 0);
        output.take();
        stub->calls.clear();
    }

    zeqstub::Control* stub = nullptr;
    RecordingOutput output;
    CountingClock clock;
    Boards boards{deviceBinding(), output, dialogs, clock};
};

}  // namespace zeq::desk::test
