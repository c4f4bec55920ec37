// SPDX-License-Identifier: MIT
// Builds the Debian packages with CPack, unpacks each into a scratch root and
// checks that everything a user needs is in the right package and works, and
// that lintian and appstreamcli accept what is shipped.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "lq3860_version.h"

namespace lq3860 {

namespace fs = std::filesystem;

namespace {

const fs::path SCRATCH = LQ_PACKAGE_SCRATCH;
const char* const CTL = "lq3860ctl";
const char* const UTILITY = "lq3860-utility";
const char* const SIM = "lq3860-sim";
const char* const PACKAGES[] = {CTL, UTILITY, SIM};

// Exit status (-1 when it did not end normally) and stdout with stderr.
using ShellRun = std::pair<int, std::string>;
ShellRun RunShell(const std::string& command) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return {status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::string FileText(const fs::path& path) {
    return RunShell("cat " + Quote(path)).second;
}

// First group of `pattern` in `text`, empty when it does not match.
std::string Find(const std::string& text, const std::string& pattern) {
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : std::string();
}

// The rest of the line that starts with `key` (as in "Package: " or "Exec="), empty when missing.
std::string Value(const std::string& text, const std::string& key) {
    return Find(text, "(?:^|\n)" + key + "([^\n]*)");
}

std::string Deb(const char* package) {
    return std::string(package) + "_" LQ3860_VERSION "_" + "*.deb";
}
fs::path Root(const char* package) {
    return SCRATCH / "root" / package;
}
fs::path Metainfo() {
    return Root(UTILITY) / "usr/share/metainfo" / (LQ3860_APP_ID ".metainfo.xml");
}

class DebianPackages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::remove_all(SCRATCH);
        std::string command = "cd " + Quote(SCRATCH) + " && cpack -G DEB --config '" LQ_CPACK_CONFIG "'";
        for (const char* package : PACKAGES) {
            fs::create_directories(Root(package));
            fs::create_directories(SCRATCH / "control");
            command += " && dpkg-deb -x " + Deb(package) + " " + Quote(Root(package)) + " && dpkg-deb -e " +
                       Deb(package) + " control/" + package;
        }
        build_ = RunShell(command);
        for (const char* package : PACKAGES)
            fields_[package] = RunShell("dpkg-deb -f " + Quote(SCRATCH) + "/" + Deb(package)).second;
    }
    void SetUp() override { ASSERT_EQ(build_.first, 0) << build_.second; }
    static inline ShellRun build_;
    static inline std::map<std::string, std::string> fields_;
};

TEST_F(DebianPackages, AreNamedAfterTheProjectAndDependOnRuntimeLibrariesOnly) {
    for (const char* package : PACKAGES) {
        EXPECT_EQ(Value(fields_[package], "Package: "), package);
        EXPECT_EQ(Value(fields_[package], "Version: "), LQ3860_VERSION);
        EXPECT_TRUE(fs::is_regular_file(
            SCRATCH / (package + ("_" LQ3860_VERSION "_" + Value(fields_[package], "Architecture: ") + ".deb"))))
            << package;
    }
    // The window needs its command-line half of the same version; the two tools draw no windows, so
    // installing them (in a root without a desktop) must not pull in Qt.
    const std::pair<const char*, std::vector<std::string>> needs[] = {
        {CTL, {"libc6", "libstdc++6", "libhidapi-hidraw0", "libnl-route-3-200"}},
        {UTILITY, {"libqt6widgets6", "lq3860ctl (= " LQ3860_VERSION ")"}},
        {SIM, {"libc6"}}};
    for (const auto& [package, libraries] : needs) {
        const std::string depends = Value(fields_[package], "Depends: ");
        for (const std::string& library : libraries)
            EXPECT_NE(depends.find(library), std::string::npos) << library << " missing from: " << depends;
        const char* const unwanted = package == UTILITY ? "-dev|libgtest" : "-dev|libgtest|libqt6";
        EXPECT_FALSE(std::regex_search(depends, std::regex(unwanted))) << depends;
    }
    EXPECT_EQ(Value(fields_[UTILITY], "Recommends: "), "qt6-wayland");
}

// Both tools exit with a failure on any error or warning.
TEST_F(DebianPackages, LintianAndAppstreamcliFindNoErrorsOrWarningsAtPedantic) {
    const ShellRun lintian = RunShell("cd " + Quote(SCRATCH) + " && lintian --pedantic --fail-on error,warning " +
                                      Deb(CTL) + " " + Deb(UTILITY) + " " + Deb(SIM));
    EXPECT_EQ(lintian.first, 0) << lintian.second;
    const ShellRun validation = RunShell("appstreamcli validate --pedantic --no-net " + Quote(Metainfo()));
    EXPECT_EQ(validation.first, 0) << validation.second;
}

TEST_F(DebianPackages, EachProgramIsInItsPackageWithItsManPage) {
    for (const char* program : PACKAGES) {
        // Each program has a package of its own, and is in no other (dpkg refuses two packages holding one file).
        for (const char* other : PACKAGES)
            EXPECT_EQ(fs::exists(Root(other) / "usr/bin" / program), other == program) << program << " in " << other;
        const fs::file_status file = fs::status(Root(program) / "usr/bin" / program);
        EXPECT_TRUE(fs::is_regular_file(file)) << program;
        EXPECT_NE(file.permissions() & fs::perms::others_exec, fs::perms::none) << program;
        const fs::path page = Root(program) / "usr/share/man/man1" / (std::string(program) + ".1.gz");
        const std::string header = RunShell("zcat " + Quote(page) + " | grep '^\\.TH '").second;
        EXPECT_NE(header.find(" \"LQ-3860 Utility " LQ3860_VERSION "\" "), std::string::npos) << page << header;
        EXPECT_TRUE(std::regex_search(header, std::regex("^\\.TH [A-Z0-9-]+ 1 \"[0-9]{4}-[0-9]{2}-[0-9]{2}\" ")))
            << header;
        EXPECT_EQ(RunShell("QT_QPA_PLATFORM=offscreen " + Quote(Root(program) / "usr/bin" / program) + " --version"),
                  ShellRun(0, std::string(program) + " " LQ3860_VERSION "\n"));
    }
}

TEST_F(DebianPackages, EachCarriesTheLicenseAndAChangelogForItsVersion) {
    std::string license = FileText(LQ_LICENSE);
    const std::string holders = Find(license, "\nCopyright \\(c\\) ([^\n]+)\n");
    license = license.substr(license.find("\n\n", license.find("\nCopyright")) + 2);
    std::string changelog;
    for (const char* package : {SIM, CTL, UTILITY}) {
        const fs::path doc = Root(package) / "usr/share/doc" / package;
        // The copyright file in the machine-readable format, with LICENSE's holders and text.
        const std::string copyright = FileText(doc / "copyright");
        EXPECT_EQ(copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0),
                  0u);
        EXPECT_EQ(Value(copyright, "Copyright: "), holders);
        const std::size_t field = copyright.find("\nLicense: Expat\n");
        ASSERT_NE(field, std::string::npos) << copyright;
        const std::string text = copyright.substr(field + 16);
        EXPECT_EQ(std::regex_replace(text, std::regex("(^|\n) \\.?"), "$1"), license) << package;
        // The newest changelog entry is this version's.
        changelog = RunShell("zcat " + Quote(doc / "changelog.gz")).second;
        EXPECT_EQ(changelog.rfind("lq3860-utility (" LQ3860_VERSION ") ", 0), 0u) << changelog;
    }
    // The metainfo's release is this version, on the day of the utility's changelog entry.
    const std::string date = Find(changelog, "\n -- [^\n]*>  ([^\n]+)\n");
    const std::string day = RunShell("date -u -d '" + date + "' +%F").second;
    EXPECT_EQ(Find(FileText(Metainfo()), "<release version=\"" LQ3860_VERSION "\" date=\"([^\"]+)\""),
              day.substr(0, 10))
        << date;
}

TEST_F(DebianPackages, UdevRuleDesktopEntryAndMetainfoAreInstalledAndUsable) {
    // The seat gets access (the rule the VM test proves), also to modules attached before the install.
    EXPECT_EQ(FileText(Root(CTL) / "usr/lib/udev/rules.d/70-lq3860.rules"), FileText(LQ_UDEV_RULE));
    const fs::path postinst = SCRATCH / "control" / CTL / "postinst";
    EXPECT_NE(FileText(postinst).find("udevadm trigger"), std::string::npos);
    EXPECT_NE(fs::status(postinst).permissions() & fs::perms::owner_exec, fs::perms::none);
    // The menu entry, named after the desktop id, starts an installed program and names an installed icon.
    const std::string entry = FileText(Root(UTILITY) / "usr/share/applications" / (LQ3860_APP_ID ".desktop"));
    const std::string exec = Value(entry, "Exec="), icon = Value(entry, "Icon=");
    EXPECT_TRUE(fs::is_regular_file(Root(UTILITY) / "usr/bin" / fs::path(exec.substr(0, exec.find(' '))).filename()))
        << exec;
    ASSERT_FALSE(icon.empty());
    // A scalable icon and the sizes that menus and panels ask for.
    for (const char* size : {"scalable", "16x16", "24x24", "32x32", "48x48", "128x128"}) {
        const std::string type = size[0] == 's' ? ".svg" : ".png";
        EXPECT_TRUE(fs::is_regular_file(Root(UTILITY) / "usr/share/icons/hicolor" / size / "apps" / (icon + type)))
            << icon << " " << size;
    }

    const std::string metainfo = FileText(Metainfo());
    EXPECT_EQ(Find(metainfo, "<id>([^<]*)</id>"), LQ3860_APP_ID);
    // Its launchable is the installed desktop file, named after the desktop id the window sets.
    EXPECT_EQ(Find(metainfo, "<launchable type=\"desktop-id\">([^<]*)</launchable>"), LQ3860_APP_ID ".desktop");
    // The kernel's modalias of a module on USB (upper-case hex) matches; another vendor's does not.
    const std::string modalias = Find(metainfo, "<modalias>([^<]*)</modalias>");
    for (const auto& [module, matches] : {std::pair("usb:v7E3Ap3860d0100dc00dsc00dp00ic03isc00ip00in00", true),
                                          std::pair("usb:v7E3Ap0001d0001dc00dsc00dp00ic03isc00ip00in00", true),
                                          std::pair("usb:v046Dp3860d0100dc00dsc00dp00ic03isc00ip00in00", false)})
        EXPECT_EQ(fnmatch(modalias.c_str(), module, 0) == 0, matches) << modalias << " " << module;
}

}  // namespace

}  // namespace lq3860
