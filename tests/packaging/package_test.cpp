// Builds the Debian package with CPack, unpacks it into a scratch root and
// checks that everything a user needs is in it and works.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct CommandResult {
    int status = -1;
    std::string output;  // stdout and stderr
};

CommandResult RunShell(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> chunk{};
    std::size_t count;
    while ((count = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.output.append(chunk.data(), count);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

std::string FileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The value of `Key=` in a desktop entry, empty when missing.
std::string DesktopValue(const std::string& entry, const std::string& key) {
    std::smatch match;
    const std::regex line("(^|\n)" + key + "=([^\n]*)");
    return std::regex_search(entry, match, line) ? match[2].str() : std::string();
}

class DebianPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const fs::path scratch = LQ_PACKAGE_SCRATCH;
        fs::remove_all(scratch);
        fs::create_directories(scratch / "root");
        build_ = RunShell("cd " + Quote(scratch) + " && cpack -G DEB --config " + Quote(LQ_CPACK_CONFIG) + " -B " +
                     Quote(scratch));
        for (const auto& entry : fs::directory_iterator(scratch)) {
            if (entry.path().extension() == ".deb") debs_.push_back(entry.path());
        }
        if (debs_.size() == 1) {
            unpack_ = RunShell("dpkg-deb -x " + Quote(debs_[0]) + " " + Quote(scratch / "root") + " && dpkg-deb -e " +
                          Quote(debs_[0]) + " " + Quote(scratch / "control"));
            fields_ = RunShell("dpkg-deb -f " + Quote(debs_[0])).output;
        }
    }

    void SetUp() override {
        ASSERT_EQ(build_.status, 0) << build_.output;
        ASSERT_EQ(debs_.size(), 1u) << build_.output;
        ASSERT_EQ(unpack_.status, 0) << unpack_.output;
    }

    static fs::path Root() { return fs::path(LQ_PACKAGE_SCRATCH) / "root"; }

    static std::string Field(const std::string& name) {
        std::smatch match;
        const std::regex line("(^|\n)" + name + ": ([^\n]*)");
        return std::regex_search(fields_, match, line) ? match[2].str() : std::string();
    }

    static inline CommandResult build_, unpack_;
    static inline std::vector<fs::path> debs_;
    static inline std::string fields_;
};

TEST_F(DebianPackage, IsNamedAndVersionedAfterTheProject) {
    EXPECT_EQ(Field("Package"), "lq3860-utility");
    EXPECT_EQ(Field("Version"), LQ3860_VERSION);
    EXPECT_FALSE(Field("Architecture").empty());
    EXPECT_EQ(debs_[0].filename().string(), "lq3860-utility_" LQ3860_VERSION "_" + Field("Architecture") + ".deb");
}

TEST_F(DebianPackage, DependsOnTheRuntimeLibrariesOnly) {
    const std::string depends = Field("Depends");
    for (const char* library : {"libc6", "libstdc++6", "libhidapi-hidraw0", "libqt6widgets6", "libnl-route-3-200"}) {
        EXPECT_NE(depends.find(library), std::string::npos) << library << " missing from: " << depends;
    }
    EXPECT_EQ(depends.find("-dev"), std::string::npos) << depends;
    EXPECT_EQ(depends.find("libgtest"), std::string::npos) << depends;
}

TEST_F(DebianPackage, ProgramsAreInstalledAndStart) {
    for (const char* program : {"lq3860-utility", "lq3860ctl", "lq3860-sim"}) {
        const fs::path file = Root() / "usr/bin" / program;
        ASSERT_TRUE(fs::is_regular_file(file)) << file;
        EXPECT_NE(fs::status(file).permissions() & fs::perms::others_exec, fs::perms::none) << file;
    }
    const CommandResult sim = RunShell(Quote(Root() / "usr/bin/lq3860-sim") + " --help");
    EXPECT_EQ(sim.status, 0) << sim.output;
    EXPECT_NE(sim.output.find("--unplug-after"), std::string::npos) << sim.output;
    const CommandResult tool = RunShell(Quote(Root() / "usr/bin/lq3860ctl") + " --version");
    EXPECT_EQ(tool.status, 0) << tool.output;
    EXPECT_NE(tool.output.find(LQ3860_VERSION), std::string::npos) << tool.output;
}

TEST_F(DebianPackage, ManPagesAreInstalledForTheCommands) {
    for (const char* page : {"lq3860ctl.1", "lq3860-sim.1"}) {
        const fs::path file = Root() / "usr/share/man/man1" / page;
        ASSERT_TRUE(fs::is_regular_file(file)) << file;
        EXPECT_EQ(FileText(file).rfind(".TH ", 0), 0u) << file;
    }
}

TEST_F(DebianPackage, UdevRuleGrantsTheSeatAccessToTheModules) {
    const fs::path rule = Root() / "usr/lib/udev/rules.d/70-lq3860.rules";
    ASSERT_TRUE(fs::is_regular_file(rule));
    const std::string text = FileText(rule);
    EXPECT_NE(text.find("ATTRS{idVendor}==\"7e3a\""), std::string::npos);
    EXPECT_NE(text.find("TAG+=\"uaccess\""), std::string::npos);
    // Applied to modules already attached when the package is installed.
    const fs::path postinst = fs::path(LQ_PACKAGE_SCRATCH) / "control/postinst";
    ASSERT_TRUE(fs::is_regular_file(postinst));
    EXPECT_NE(FileText(postinst).find("udevadm trigger"), std::string::npos);
    EXPECT_NE(fs::status(postinst).permissions() & fs::perms::owner_exec, fs::perms::none);
}

TEST_F(DebianPackage, DesktopEntryStartsTheProgramWithAnInstalledIcon) {
    std::vector<fs::path> entries;
    if (fs::is_directory(Root() / "usr/share/applications")) {
        for (const auto& entry : fs::directory_iterator(Root() / "usr/share/applications")) {
            if (entry.path().extension() == ".desktop") entries.push_back(entry.path());
        }
    }
    ASSERT_EQ(entries.size(), 1u);
    const std::string entry = FileText(entries[0]);
    const std::string exec = DesktopValue(entry, "Exec");
    const std::string program = exec.substr(0, exec.find(' '));
    EXPECT_TRUE(fs::is_regular_file(Root() / "usr/bin" / fs::path(program).filename())) << exec;
    const std::string icon = DesktopValue(entry, "Icon");
    ASSERT_FALSE(icon.empty());
    bool iconFound = false;
    for (const auto& file : fs::recursive_directory_iterator(Root() / "usr/share")) {
        const std::string path = file.path().string();
        if (file.path().stem() == icon &&
            (path.find("/icons/") != std::string::npos || path.find("/pixmaps/") != std::string::npos)) {
            iconFound = true;
        }
    }
    EXPECT_TRUE(iconFound) << "no icon named " << icon;
}

}  // namespace
