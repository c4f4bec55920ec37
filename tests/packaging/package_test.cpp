// Builds the Debian package with CPack, unpacks it into a scratch root and
// checks that everything a user needs is in it and works.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path SCRATCH = LQ_PACKAGE_SCRATCH;
const fs::path ROOT = SCRATCH / "root";

struct CommandResult {
    int status = -1;
    std::string output;  // stdout and stderr
};

CommandResult RunShell(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[4096];
    for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) result.output.append(chunk, count);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

std::string FileText(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The rest of the line that starts with `key` (as in "Package: " or "Exec="), empty when missing.
std::string Value(const std::string& text, const std::string& key) {
    std::smatch match;
    return std::regex_search(text, match, std::regex("(^|\n)" + key + "([^\n]*)")) ? match[2].str() : std::string();
}

std::vector<fs::path> FilesEndingIn(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder, fs::directory_options::skip_permission_denied)) {
        if (entry.path().extension() == extension) files.push_back(entry.path());
    }
    return files;
}

class DebianPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::remove_all(SCRATCH);
        fs::create_directories(ROOT);
        build_ = RunShell("cd " + Quote(SCRATCH) + " && cpack -G DEB --config " + Quote(LQ_CPACK_CONFIG) + " -B " +
                          Quote(SCRATCH));
        debs_ = FilesEndingIn(SCRATCH, ".deb");
        if (debs_.size() != 1) return;
        unpack_ = RunShell("dpkg-deb -x " + Quote(debs_[0]) + " " + Quote(ROOT) + " && dpkg-deb -e " +
                           Quote(debs_[0]) + " " + Quote(SCRATCH / "control"));
        fields_ = RunShell("dpkg-deb -f " + Quote(debs_[0])).output;
    }
    void SetUp() override {
        ASSERT_EQ(debs_.size(), 1u) << build_.output;
        ASSERT_EQ(unpack_.status, 0) << unpack_.output;
    }
    static inline CommandResult build_, unpack_;
    static inline std::vector<fs::path> debs_;
    static inline std::string fields_;
};

TEST_F(DebianPackage, IsNamedAfterTheProjectAndDependsOnRuntimeLibrariesOnly) {
    EXPECT_EQ(Value(fields_, "Package: "), "lq3860-utility");
    EXPECT_EQ(Value(fields_, "Version: "), LQ3860_VERSION);
    EXPECT_EQ(debs_[0].filename().string(),
              "lq3860-utility_" LQ3860_VERSION "_" + Value(fields_, "Architecture: ") + ".deb");
    const std::string depends = Value(fields_, "Depends: ");
    for (const char* library : {"libc6", "libstdc++6", "libhidapi-hidraw0", "libqt6widgets6", "libnl-route-3-200"}) {
        EXPECT_NE(depends.find(library), std::string::npos) << library << " missing from: " << depends;
    }
    EXPECT_EQ(depends.find("-dev"), std::string::npos) << depends;
    EXPECT_EQ(depends.find("libgtest"), std::string::npos) << depends;
}

TEST_F(DebianPackage, ProgramsStartAndCommandsHaveManPages) {
    for (const char* program : {"lq3860-utility", "lq3860ctl", "lq3860-sim"}) {
        const fs::path file = ROOT / "usr/bin" / program;
        const bool executable = (fs::status(file).permissions() & fs::perms::others_exec) != fs::perms::none;
        EXPECT_TRUE(fs::is_regular_file(file) && executable) << file;
    }
    const CommandResult sim = RunShell(Quote(ROOT / "usr/bin/lq3860-sim") + " --help");
    EXPECT_EQ(sim.status, 0) << sim.output;
    EXPECT_NE(sim.output.find("--unplug-after"), std::string::npos) << sim.output;
    const CommandResult tool = RunShell(Quote(ROOT / "usr/bin/lq3860ctl") + " --version");
    EXPECT_EQ(tool.status, 0) << tool.output;
    EXPECT_NE(tool.output.find(LQ3860_VERSION), std::string::npos) << tool.output;
    for (const char* page : {"lq3860ctl.1", "lq3860-sim.1"}) {
        EXPECT_EQ(FileText(ROOT / "usr/share/man/man1" / page).rfind(".TH ", 0), 0u) << page;
    }
}

TEST_F(DebianPackage, UdevRuleGrantsTheSeatAccessAlsoToModulesAttachedBefore) {
    const std::string rule = FileText(ROOT / "usr/lib/udev/rules.d/70-lq3860.rules");
    EXPECT_NE(rule.find("ATTRS{idVendor}==\"7e3a\""), std::string::npos) << rule;
    EXPECT_NE(rule.find("TAG+=\"uaccess\""), std::string::npos) << rule;
    const fs::path postinst = SCRATCH / "control/postinst";
    EXPECT_NE(FileText(postinst).find("udevadm trigger"), std::string::npos);
    EXPECT_NE(fs::status(postinst).permissions() & fs::perms::owner_exec, fs::perms::none);
}

TEST_F(DebianPackage, DesktopEntryStartsTheProgramWithAnInstalledIcon) {
    const std::vector<fs::path> entries = FilesEndingIn(ROOT / "usr/share/applications", ".desktop");
    ASSERT_EQ(entries.size(), 1u);
    const std::string entry = FileText(entries[0]);
    const std::string exec = Value(entry, "Exec="), icon = Value(entry, "Icon=");
    EXPECT_TRUE(fs::is_regular_file(ROOT / "usr/bin" / fs::path(exec.substr(0, exec.find(' '))).filename())) << exec;
    ASSERT_FALSE(icon.empty());
    const std::string icons =
        RunShell("cd " + Quote(ROOT / "usr/share") + " && find icons pixmaps -name " + icon + ".*").output;
    EXPECT_NE(icons.find("/" + icon + "."), std::string::npos) << "no icon named " << icon << ": " << icons;
}

}  // namespace
