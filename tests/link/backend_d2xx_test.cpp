// The D2XX backend through its dlopen path, against a stand-in driver library built with the
// tests (tests/link/fake_ftd2xx) and named by ZEQLINK_D2XX_LIB.
#include "transport/backend_d2xx.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "link/fake_ftd2xx/fake_ftd2xx.h"

namespace zeq::bridge {
namespace {

// Sets ZEQLINK_D2XX_LIB for the scope and puts back what was there.
class ScopedDriverEnv {
  public:
    explicit ScopedDriverEnv(const char* path) {
        if (const char* old = std::getenv(kD2xxLibraryEnv)) old_ = old;
        setenv(kD2xxLibraryEnv, path, 1);
    }
    ~ScopedDriverEnv() {
        if (old_)
            setenv(kD2xxLibraryEnv, old_->c_str(), 1);
        else
            unsetenv(kD2xxLibraryEnv);
    }

  private:
    std::optional<std::string> old_;
};

// The control calls of a stand-in library, reached through the same file the backend loads.
struct FakeDriver {
    void* lib = nullptr;
    fake_ft_reset_fn reset = nullptr;
    fake_ft_add_device_fn add_device = nullptr;
    fake_ft_fail_next_fn fail_next = nullptr;
    fake_ft_push_rx_fn push_rx = nullptr;
    fake_ft_write_limit_fn write_limit = nullptr;
    fake_ft_query_fn query = nullptr;
    fake_ft_ee_text_fn ee_text = nullptr;

    explicit FakeDriver(const char* path) {
        lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!lib) return;
        reset = reinterpret_cast<fake_ft_reset_fn>(dlsym(lib, "fake_ft_reset"));
        add_device = reinterpret_cast<fake_ft_add_device_fn>(dlsym(lib, "fake_ft_add_device"));
        fail_next = reinterpret_cast<fake_ft_fail_next_fn>(dlsym(lib, "fake_ft_fail_next"));
        push_rx = reinterpret_cast<fake_ft_push_rx_fn>(dlsym(lib, "fake_ft_push_rx"));
        write_limit = reinterpret_cast<fake_ft_write_limit_fn>(dlsym(lib, "fake_ft_write_limit"));
        query = reinterpret_cast<fake_ft_query_fn>(dlsym(lib, "fake_ft_query"));
        ee_text = reinterpret_cast<fake_ft_ee_text_fn>(dlsym(lib, "fake_ft_ee_text"));
        reset();
    }
    ~FakeDriver() {
        if (lib) dlclose(lib);
    }
};

class D2xxBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(fake_.lib, nullptr) << dlerror();
        fake_.add_device("ZEQ-USB A", "ZQ0001", 0x1011);
        fake_.add_device("ZEQ-USB B", "ZQ0002", 0x1012);
        backend_ = make_d2xx_backend();
        ASSERT_NE(backend_, nullptr);
    }

    // Lists, opens device `index` and checks that it opened.
    std::unique_ptr<Port> open(size_t index) {
        backend_->list();
        std::unique_ptr<Port> port;
        EXPECT_EQ(backend_->open(index, &port), ZEQ_FT_OK);
        return port;
    }

    ScopedDriverEnv env_{ZEQ_FAKE_D2XX_LIB};
    FakeDriver fake_{ZEQ_FAKE_D2XX_LIB};
    std::unique_ptr<Backend> backend_;
};

TEST(D2xxFactory, NullWhenTheLibraryCannotBeLoaded) {
    ScopedDriverEnv env("/nonexistent/libftd2xx.so");
    EXPECT_EQ(make_d2xx_backend(), nullptr);
}

TEST(D2xxFactory, NullWhenTheLibraryLacksTheDriverCalls) {
    ScopedDriverEnv env("libm.so.6");  // loads, but exports no FT_ call
    EXPECT_EQ(make_d2xx_backend(), nullptr);
}

TEST_F(D2xxBackendTest, ListsDescriptionSerialAndLocation) {
    std::vector<DeviceInfo> list = backend_->list();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].description, "ZEQ-USB A");
    EXPECT_EQ(list[0].serial, "ZQ0001");
    EXPECT_EQ(list[0].location, 0x1011u);
    EXPECT_EQ(list[1].description, "ZEQ-USB B");
    EXPECT_EQ(list[1].serial, "ZQ0002");
    EXPECT_EQ(list[1].location, 0x1012u);
}

TEST_F(D2xxBackendTest, ListingFailureGivesAnEmptyList) {
    fake_.fail_next("FT_CreateDeviceInfoList", ZEQ_FT_DEVICE_LIST_NOT_READY);
    EXPECT_TRUE(backend_->list().empty());
}

TEST_F(D2xxBackendTest, OpensTheListedDeviceBySerialAndSetsTheLatencyTimer) {
    std::unique_ptr<Port> port = open(1);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(fake_.query(1, "opened"), 1u);
    EXPECT_EQ(fake_.query(0, "opened"), 0u);
    EXPECT_EQ(fake_.query(1, "open_ex_calls"), 1u);
    EXPECT_EQ(fake_.query(1, "latency"), 2u);
}

TEST_F(D2xxBackendTest, DuplicateSerialsOpenByIndex) {
    fake_.reset();
    fake_.add_device("ZEQ-USB A", "SAME", 0x1011);
    fake_.add_device("ZEQ-USB B", "SAME", 0x1012);
    std::unique_ptr<Port> port = open(1);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(fake_.query(1, "opened"), 1u);
    EXPECT_EQ(fake_.query(0, "opened"), 0u);
    EXPECT_EQ(fake_.query(1, "open_calls"), 1u);
    EXPECT_EQ(fake_.query(1, "open_ex_calls"), 0u);
}

TEST_F(D2xxBackendTest, OpenFailuresPassThrough) {
    backend_->list();
    std::unique_ptr<Port> port;
    EXPECT_EQ(backend_->open(2, &port), ZEQ_FT_DEVICE_NOT_FOUND);  // beyond the list
    EXPECT_EQ(port, nullptr);

    std::unique_ptr<Port> first = open(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(backend_->open(0, &port), ZEQ_FT_DEVICE_NOT_OPENED);  // already open
    EXPECT_EQ(port, nullptr);

    fake_.fail_next("FT_OpenEx", ZEQ_FT_OTHER_ERROR);
    EXPECT_EQ(backend_->open(1, &port), ZEQ_FT_OTHER_ERROR);
    EXPECT_EQ(port, nullptr);
    EXPECT_EQ(fake_.query(1, "opened"), 0u);
}

TEST_F(D2xxBackendTest, WriteAndReadReportByteCounts) {
    std::unique_ptr<Port> port = open(0);
    ASSERT_NE(port, nullptr);
    const unsigned char frame[5] = {0x80, 0x05, 0x0C, 0x84, 0x34};
    uint32_t written = 99;
    EXPECT_EQ(port->write(frame, 5, &written), ZEQ_FT_OK);
    EXPECT_EQ(written, 5u);

    unsigned char in[8] = {};
    uint32_t got = 99;
    EXPECT_EQ(port->read(in, 8, &got), ZEQ_FT_OK);  // fewer bytes than asked: a short count
    EXPECT_EQ(got, 5u);
    EXPECT_EQ(std::memcmp(in, frame, 5), 0);
    EXPECT_EQ(port->read(in, 8, &got), ZEQ_FT_OK);
    EXPECT_EQ(got, 0u);

    fake_.write_limit(0, 3);
    EXPECT_EQ(port->write(frame, 5, &written), ZEQ_FT_OK);
    EXPECT_EQ(written, 3u);
}

TEST_F(D2xxBackendTest, PurgeTimeoutsAndResetReachTheDriver) {
    std::unique_ptr<Port> port = open(0);
    ASSERT_NE(port, nullptr);
    const unsigned char stale[2] = {1, 2};
    fake_.push_rx(0, stale, 2);
    EXPECT_EQ(port->purge(ZEQ_PURGE_RX | ZEQ_PURGE_TX), ZEQ_FT_OK);
    EXPECT_EQ(fake_.query(0, "purge"), 3u);
    unsigned char in[2];
    uint32_t got = 99;
    EXPECT_EQ(port->read(in, 2, &got), ZEQ_FT_OK);
    EXPECT_EQ(got, 0u);

    EXPECT_EQ(port->setTimeouts(200, 300), ZEQ_FT_OK);
    EXPECT_EQ(fake_.query(0, "read_timeout"), 200u);
    EXPECT_EQ(fake_.query(0, "write_timeout"), 300u);
    EXPECT_EQ(port->resetDevice(), ZEQ_FT_OK);
    EXPECT_EQ(fake_.query(0, "resets"), 1u);
}

TEST_F(D2xxBackendTest, DriverStatusesPassThroughUnchanged) {
    struct Case {
        const char* call;
        Status status;
        Status (*run)(Port&);
    };
    const Case cases[] = {
        {"FT_Read", ZEQ_FT_IO_ERROR,
         [](Port& p) {
             unsigned char b[4];
             uint32_t n;
             return p.read(b, 4, &n);
         }},
        {"FT_Write", ZEQ_FT_FAILED_TO_WRITE_DEVICE,
         [](Port& p) {
             uint32_t n;
             return p.write("ab", 2, &n);
         }},
        {"FT_Write", ZEQ_FT_DEVICE_NOT_OPENED_FOR_WRITE,
         [](Port& p) {
             uint32_t n;
             return p.write("ab", 2, &n);
         }},
        {"FT_Purge", ZEQ_FT_OTHER_ERROR, [](Port& p) { return p.purge(3); }},
        {"FT_SetTimeouts", ZEQ_FT_INVALID_PARAMETER, [](Port& p) { return p.setTimeouts(1, 1); }},
        {"FT_ResetDevice", ZEQ_FT_OTHER_ERROR, [](Port& p) { return p.resetDevice(); }},
        {"FT_EE_Read", ZEQ_FT_EEPROM_READ_FAILED,
         [](Port& p) {
             ZEQ_EEPROM_DATA d{};
             return p.eeRead(&d);
         }},
        {"FT_EE_Read", ZEQ_FT_EEPROM_NOT_PROGRAMMED,
         [](Port& p) {
             ZEQ_EEPROM_DATA d{};
             return p.eeRead(&d);
         }},
        {"FT_EE_Program", ZEQ_FT_EEPROM_WRITE_FAILED,
         [](Port& p) {
             char t[] = "x";
             ZEQ_EEPROM_DATA d{0, 0xFFFFFFFFu, 0, 0x0403, 0x6001, t, t, t, t, 90, 0, 0, 0};
             return p.eeProgram(&d);
         }},
        {"FT_Close", ZEQ_FT_DEVICE_NOT_OPENED, [](Port& p) { return p.close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        std::unique_ptr<Port> port = open(0);
        ASSERT_NE(port, nullptr);
        fake_.fail_next(c.call, c.status);
        EXPECT_EQ(c.run(*port), c.status);
        port.reset();  // closes the device for the next case
        EXPECT_EQ(fake_.query(0, "opened"), 0u);
    }
}

TEST_F(D2xxBackendTest, EepromReadFillsTheHeadAndTheCallersBuffers) {
    std::unique_ptr<Port> port = open(0);
    ASSERT_NE(port, nullptr);
    char manufacturer[64], id[64], description[64], serial[64];
    // A guard behind the caller's block: the driver writes far past the head into its own
    // block, never into the caller's.
    struct {
        ZEQ_EEPROM_DATA data;
        unsigned char guard[64];
    } caller{};
    std::memset(caller.guard, 0x5A, sizeof caller.guard);
    caller.data.Version = 2;
    caller.data.Manufacturer = manufacturer;
    caller.data.ManufacturerId = id;
    caller.data.Description = description;
    caller.data.SerialNumber = serial;

    ASSERT_EQ(port->eeRead(&caller.data), ZEQ_FT_OK);
    EXPECT_EQ(fake_.query(0, "ee_version"), 2u);
    EXPECT_EQ(caller.data.Signature1, 0u);
    EXPECT_EQ(caller.data.Signature2, 0xFFFFFFFFu);
    EXPECT_EQ(caller.data.VendorId, 0x0403);
    EXPECT_EQ(caller.data.ProductId, 0x6001);
    EXPECT_EQ(caller.data.MaxPower, 90);
    EXPECT_EQ(caller.data.Manufacturer, manufacturer);
    EXPECT_EQ(caller.data.SerialNumber, serial);
    EXPECT_STREQ(manufacturer, "Maker");
    EXPECT_STREQ(id, "MK");
    EXPECT_STREQ(description, "ZEQ-USB A");
    EXPECT_STREQ(serial, "ZQ0001");
    for (unsigned char b : caller.guard) ASSERT_EQ(b, 0x5A);
}

TEST_F(D2xxBackendTest, EepromProgramCopiesTheHeadIn) {
    std::unique_ptr<Port> port = open(0);
    ASSERT_NE(port, nullptr);
    char manufacturer[] = "ZEQ Motion";
    char id[] = "ZQ";
    char description[] = "ZEQ-USB 8";
    char serial[] = "ZQ4711";
    ZEQ_EEPROM_DATA d{};
    d.Version = 2;
    d.VendorId = 0x0403;
    d.ProductId = 0x6014;
    d.Manufacturer = manufacturer;
    d.ManufacturerId = id;
    d.Description = description;
    d.SerialNumber = serial;
    d.MaxPower = 500;
    d.SelfPowered = 1;
    ASSERT_EQ(port->eeProgram(&d), ZEQ_FT_OK);
    EXPECT_EQ(fake_.query(0, "pid"), 0x6014u);
    EXPECT_EQ(fake_.query(0, "max_power"), 500u);
    EXPECT_EQ(fake_.query(0, "self_powered"), 1u);
    EXPECT_STREQ(fake_.ee_text(0, "manufacturer"), "ZEQ Motion");
    EXPECT_STREQ(fake_.ee_text(0, "manufacturer_id"), "ZQ");
    EXPECT_STREQ(fake_.ee_text(0, "description"), "ZEQ-USB 8");
    EXPECT_STREQ(fake_.ee_text(0, "serial"), "ZQ4711");
}

TEST_F(D2xxBackendTest, EepromProgramKeepsTextsGivenAsNull) {
    std::unique_ptr<Port> port = open(0);
    ASSERT_NE(port, nullptr);
    char description[] = "ZEQ-USB 4";
    ZEQ_EEPROM_DATA d{};
    d.VendorId = 0x0403;
    d.ProductId = 0x6001;
    d.Description = description;
    ASSERT_EQ(port->eeProgram(&d), ZEQ_FT_OK);
    EXPECT_STREQ(fake_.ee_text(0, "description"), "ZEQ-USB 4");
    EXPECT_STREQ(fake_.ee_text(0, "manufacturer"), "Maker");
    EXPECT_STREQ(fake_.ee_text(0, "serial"), "ZQ0001");
}

TEST_F(D2xxBackendTest, EepromProgramReadsAtMostSixtyThreeCharactersOfAText) {
    std::unique_ptr<Port> port = open(0);
    ASSERT_NE(port, nullptr);
    char description[64];
    std::memset(description, 'D', sizeof description);  // no terminator inside the buffer
    char other[] = "x";
    ZEQ_EEPROM_DATA d{};
    d.Manufacturer = other;
    d.ManufacturerId = other;
    d.Description = description;
    d.SerialNumber = other;
    ASSERT_EQ(port->eeProgram(&d), ZEQ_FT_OK);
    EXPECT_EQ(std::string(fake_.ee_text(0, "description")), std::string(63, 'D'));
}

TEST_F(D2xxBackendTest, EveryCallAfterCloseIsAnInvalidHandle) {
    std::unique_ptr<Port> port = open(0);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->close(), ZEQ_FT_OK);
    EXPECT_EQ(fake_.query(0, "opened"), 0u);
    unsigned char b[2];
    uint32_t n = 7;
    ZEQ_EEPROM_DATA d{};
    EXPECT_EQ(port->read(b, 2, &n), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(port->write(b, 2, &n), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(port->purge(3), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(port->setTimeouts(1, 1), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(port->resetDevice(), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(port->eeRead(&d), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(port->eeProgram(&d), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(port->close(), ZEQ_FT_INVALID_HANDLE);
}

// A driver without the device-info list, FT_OpenEx and the EEPROM calls.
class D2xxLegacyTest : public ::testing::Test {
  protected:
    ScopedDriverEnv env_{ZEQ_FAKE_D2XX_LEGACY_LIB};
    FakeDriver fake_{ZEQ_FAKE_D2XX_LEGACY_LIB};
};

TEST_F(D2xxLegacyTest, ListsByIndexOpensByIndexAndLacksTheEeprom) {
    ASSERT_NE(fake_.lib, nullptr) << dlerror();
    fake_.add_device("ZEQ-USB A", "ZQ0001", 0x2011);
    fake_.add_device("ZEQ-USB B", "ZQ0002", 0x2012);
    std::unique_ptr<Backend> backend = make_d2xx_backend();
    ASSERT_NE(backend, nullptr);
    std::vector<DeviceInfo> list = backend->list();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].description, "ZEQ-USB B");
    EXPECT_EQ(list[1].serial, "ZQ0002");
    EXPECT_EQ(list[1].location, 0x2012u);

    std::unique_ptr<Port> port;
    ASSERT_EQ(backend->open(1, &port), ZEQ_FT_OK);
    EXPECT_EQ(fake_.query(1, "open_calls"), 1u);
    ZEQ_EEPROM_DATA d{};
    EXPECT_EQ(port->eeRead(&d), ZEQ_FT_NOT_SUPPORTED);
    EXPECT_EQ(port->eeProgram(&d), ZEQ_FT_NOT_SUPPORTED);
}

}  // namespace
}  // namespace zeq::bridge
