// Builds the Debian package with CPack, unpacks it into a scratch root and
// checks that everything a user needs is in it and works.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>

namespace fs = std::filesystem;

namespace {

const fs::path SCRATCH = LQ_PACKAGE_SCRATCH, ROOT = SCRATCH / "root";

// Exit status (-1 when it did not end normally) and stdout with stderr.
std::pair<int, std::string> RunShell(const std::string& command) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return {status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

std::string FileText(const fs::path& path) { return RunShell("cat " + Quote(path)).second; }

// The rest of the line that starts with `key` (as in "Package: " or "Exec="), empty when missing.
std::string Value(const std::string& text, const std::string& key) {
    std::smatch match;
    return std::regex_search(text, match, std::regex("(^|\n)" + key + "([^\n]*)")) ? match[2].str() : std::string();
}

class DebianPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::remove_all(SCRATCH);
        fs::create_directories(ROOT);
        const std::string deb = Quote(SCRATCH) + "/*.deb";
        build_ = RunShell("cd " + Quote(SCRATCH) + " && cpack -G DEB --config '" LQ_CPACK_CONFIG "' && dpkg-deb -x " +
                          deb + " " + Quote(ROOT) + " && dpkg-deb -e " + deb + " control");
        fields_ = RunShell("dpkg-deb -f " + deb).second;
    }
    void SetUp() override { ASSERT_EQ(build_.first, 0) << build_.second; }
    static inline std::pair<int, std::string> build_;
    static inline std::string fields_;
};

TEST_F(DebianPackage, IsNamedAfterTheProjectAndDependsOnRuntimeLibrariesOnly) {
    EXPECT_EQ(Value(fields_, "Package: "), "lq3860-utility");
    EXPECT_EQ(Value(fields_, "Version: "), LQ3860_VERSION);
    EXPECT_TRUE(fs::is_regular_file(SCRATCH / ("lq3860-utility_" LQ3860_VERSION "_" +
                                               Value(fields_, "Architecture: ") + ".deb")));
    const std::string depends = Value(fields_, "Depends: ");
    for (const char* library : {"libc6", "libstdc++6", "libhidapi-hidraw0", "libqt6widgets6", "libnl-route-3-200"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " missing from: " << depends;
    EXPECT_FALSE(depends.find("-dev") != std::string::npos || depends.find("libgtest") != std::string::npos) << depends;
}

TEST_F(DebianPackage, ProgramsStartAndCommandsHaveManPages) {
    for (const char* program : {"lq3860-utility", "lq3860ctl", "lq3860-sim"}) {
        const fs::file_status file = fs::status(ROOT / "usr/bin" / program);
        EXPECT_TRUE(fs::is_regular_file(file) && (file.permissions() & fs::perms::others_exec) != fs::perms::none)
            << program;
    }
    const auto sim = RunShell(Quote(ROOT / "usr/bin/lq3860-sim") + " --help");
    const auto tool = RunShell(Quote(ROOT / "usr/bin/lq3860ctl") + " --version");
    EXPECT_TRUE(sim.first == 0 && sim.second.find("--unplug-after") != std::string::npos) << sim.second;
    EXPECT_TRUE(tool.first == 0 && tool.second.find(LQ3860_VERSION) != std::string::npos) << tool.second;
    // Compressed, with the version in the header.
    for (const char* page : {"lq3860-utility.1.gz", "lq3860ctl.1.gz", "lq3860-sim.1.gz"}) {
        const std::string header = RunShell("zcat " + Quote(ROOT / "usr/share/man/man1" / page) + " | grep '^\\.TH '").second;
        EXPECT_NE(header.find(" \"LQ-3860 Utility " LQ3860_VERSION "\" "), std::string::npos) << page << header;
    }
}

TEST_F(DebianPackage, UdevRuleAndDesktopEntryAreInstalledAndUsable) {
    // The seat gets access (the rule the VM test proves), also to modules attached before the install.
    EXPECT_EQ(FileText(ROOT / "usr/lib/udev/rules.d/70-lq3860.rules"), FileText(LQ_UDEV_RULE));
    const fs::path postinst = SCRATCH / "control/postinst";
    EXPECT_TRUE(FileText(postinst).find("udevadm trigger") != std::string::npos &&
                (fs::status(postinst).permissions() & fs::perms::owner_exec) != fs::perms::none);
    // The menu entry starts an installed program and names an installed icon.
    const std::string entry = FileText(ROOT / "usr/share/applications/lq3860-utility.desktop");
    const std::string exec = Value(entry, "Exec="), icon = Value(entry, "Icon=");
    EXPECT_TRUE(fs::is_regular_file(ROOT / "usr/bin" / fs::path(exec.substr(0, exec.find(' '))).filename())) << exec;
    ASSERT_FALSE(icon.empty());
    const auto icons = RunShell("cd " + Quote(ROOT / "usr/share") + " && find icons pixmaps -name '" + icon + ".*'");
    EXPECT_NE(icons.second.find("/" + icon + "."), std::string::npos) << "no icon " << icon << ": " << icons.second;
}

}  // namespace
