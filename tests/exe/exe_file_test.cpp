// Proves one built Windows program from its file, for machines that cannot run it:
//   exe_file_test --exe PATH --machine i386|amd64 [--kind gui|console]
// or the same through VESMARIN_EXE, VESMARIN_EXE_MACHINE and VESMARIN_EXE_KIND. The window
// program (kind gui, the default) must carry every embedded picture and its manifest; the
// command-line tool (kind console) only its machine, subsystem and imports.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/exe/exe_checks.h"
#include "tests/exe/pe_reader.h"

namespace {

struct Target {
    std::string path;
    uint16_t machine = 0;
    std::string manifestArchitecture;
    bool gui = true;
};
Target target;

class ExeFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() { loaded = ReadPeFile(target.path, image, loadError); }
    void SetUp() override {
        ASSERT_TRUE(loaded) << loadError << "\nThe program must be built before it is checked "
                            << "(make win32 builds the 32-bit one).";
    }
    static PeImage image;
    static bool loaded;
    static std::string loadError;
};
PeImage ExeFile::image;
bool ExeFile::loaded = false;
std::string ExeFile::loadError;

// The parts only the window program carries.
class ExeWindowProgram : public ExeFile {
protected:
    void SetUp() override {
        ExeFile::SetUp();
        if (!target.gui) GTEST_SKIP() << "a console tool carries no pictures or manifest";
    }
};

TEST_F(ExeFile, IsForTheExpectedMachineAndSubsystem) {
    EXPECT_EQ(CheckMachine(image, target.machine), "");
    EXPECT_EQ(CheckSubsystem(image, target.gui ? kSubsystemGui : kSubsystemConsole), "");
}

TEST_F(ExeFile, ImportsOnlySystemDlls) {
    EXPECT_FALSE(image.imports.empty());
    EXPECT_EQ(CheckImports(image), "");
}

TEST_F(ExeWindowProgram, CarriesTheIconAndTheHighlight) {
    EXPECT_EQ(CheckIcon(image, 100, 64, 32), "");
    EXPECT_EQ(CheckBitmap(image, 250, 300, 76, 24), "");
}

TEST_F(ExeWindowProgram, CarriesEveryPictureAsRgbaPng) {
    const struct {
        uint32_t id;
        int width, height;
    } pictures[] = {
        {200, 200, 24}, {201, 120, 24}, {202, 40, 43}, {203, 128, 128}, {300, 256, 256},
    };
    for (const auto& p : pictures) EXPECT_EQ(CheckPngPicture(image, p.id, p.width, p.height), "");
}

TEST_F(ExeWindowProgram, CarriesTheManifest) {
    EXPECT_EQ(CheckManifest(image, "Vesmarin", "1.0.0.0", target.manifestArchitecture), "");
}

std::string Setting(int argc, char** argv, const std::string& flag, const char* variable) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] == flag) return argv[i + 1];
    }
    const char* value = std::getenv(variable);
    return value ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    target.path = Setting(argc, argv, "--exe", "VESMARIN_EXE");
    const std::string machine = Setting(argc, argv, "--machine", "VESMARIN_EXE_MACHINE");
    const std::string kind = Setting(argc, argv, "--kind", "VESMARIN_EXE_KIND");
    if (machine == "i386") {
        target.machine = kMachineI386;
        target.manifestArchitecture = "X86";
    } else if (machine == "amd64") {
        target.machine = kMachineAmd64;
        target.manifestArchitecture = "amd64";
    }
    target.gui = kind.empty() || kind == "gui";
    if (target.path.empty() || target.machine == 0 || !(target.gui || kind == "console")) {
        std::fprintf(stderr, "usage: %s --exe PATH --machine i386|amd64 [--kind gui|console]\n"
                             "   or: VESMARIN_EXE, VESMARIN_EXE_MACHINE, VESMARIN_EXE_KIND\n",
                     argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
