// The map from the program's port names to devices on POSIX systems.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "link/port_names.h"

namespace {

class PortNames : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("VESMARIN_PORTS");
        saved_ = saved ? saved : "";
        hadSaved_ = saved != nullptr;
        unsetenv("VESMARIN_PORTS");
    }
    void TearDown() override {
        if (hadSaved_) setenv("VESMARIN_PORTS", saved_.c_str(), 1);
        else unsetenv("VESMARIN_PORTS");
    }
    static std::string Device(const char* path) {
        char device[256];
        return DeviceForPortPath(path, device, sizeof device) ? device : "<none>";
    }
    std::string saved_;
    bool hadSaved_ = false;
};

TEST_F(PortNames, BuiltInMap) {
    EXPECT_EQ(Device("\\\\.\\COM1"), "/dev/ttyS0");
    EXPECT_EQ(Device("\\\\.\\COM32"), "/dev/ttyS31");
    EXPECT_EQ(Device("\\\\.\\COM33"), "/dev/ttyUSB0");
    EXPECT_EQ(Device("\\\\.\\COM64"), "/dev/ttyUSB31");
    EXPECT_EQ(Device("\\\\.\\COM65"), "/dev/ttyACM0");
    EXPECT_EQ(Device("\\\\.\\COM96"), "/dev/ttyACM31");
    EXPECT_EQ(Device("\\\\.\\COM97"), "<none>");
    EXPECT_EQ(Device("\\\\.\\com5"), "/dev/ttyS4");
}

TEST_F(PortNames, MalformedNamesResolveToNothing) {
    for (const char* path : {"\\\\.\\", "\\\\.\\COM", "\\\\.\\COM0", "\\\\.\\COM05", "\\\\.\\COM5)",
                             "\\\\.\\COM-1", "\\\\.\\LPT1", "\\\\.\\COM99999999999"}) {
        EXPECT_EQ(Device(path), "<none>") << path;
    }
}

TEST_F(PortNames, DirectoryFromEnvironment) {
    setenv("VESMARIN_PORTS", "/tmp/sim", 1);
    EXPECT_EQ(Device("\\\\.\\COM3"), "/tmp/sim/com3");
    EXPECT_EQ(Device("\\\\.\\COM255"), "/tmp/sim/com255");
}

TEST_F(PortNames, DevicePathsPassThrough) {
    EXPECT_EQ(Device("/dev/ttyUSB2"), "/dev/ttyUSB2");
}

TEST_F(PortNames, TooLongForTheBufferIsRefused) {
    setenv("VESMARIN_PORTS", std::string(300, 'd').c_str(), 1);
    EXPECT_EQ(Device("\\\\.\\COM3"), "<none>");
}

}  // namespace
