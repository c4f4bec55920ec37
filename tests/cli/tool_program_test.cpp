// SPDX-License-Identifier: MIT
// The built lq3860ctl as a process, on its own simulated module whose memory
// file keeps the parameters from one run to the next: one table of steps
// with the exact bytes of output, messages and saved files. Every build runs
// this same table (the Windows build under Wine), so the tool says and saves
// the same bytes on every platform.
#include "lq3860_version.h"
#include "tool_fixture.h"

namespace lq3860 {

namespace {

// File names outside every ANSI code page: they reach Windows only through
// UTF-8 arguments and the wide-character file API. The module keeps its
// parameters in MEMORY.
const std::string FOREIGN_NAME = "Konfig\xC3\xBCr\xC3\xA1tion-\xD0\xBA\xD0\xBE\xD0\xBD\xD1\x84\xD0\xB8\xD0\xB3.txt";
const std::string MEMORY = "DIR/\xD0\xBF\xD0\xB0\xD0\xBC\xD1\x8F\xD1\x82\xD1\x8C.txt";

// A file to write: Ad-Hoc, channel 11, WEP64, a Latin-1 SSID with a comma;
// its lines end in LF only, the saved memory in CR LF.
const std::string TO_WRITE = "[G1]\n01,11,01,\n[G2]\nCaf\xE9,1,\n[G3]\nabcdefghij,\n[G4]\n00,0A,1B,FF,FF,7E,\n[END]\n";
const std::string WRITTEN = ConfigText("01,11,01,", "Caf\xE9,1", "abcdefghij", "00,0A,1B,FF,FF,7E,");

struct Step {
    std::vector<std::string> arguments;  // "DIR/" stands for the test's folder, here and in the expected texts
    ToolRun expected;
    std::string savedFile = {};  // a file the step writes ("DIR/" as above), and its bytes
    std::string savedBytes = {};
};

const std::vector<Step> STEPS = {
    {{"--version"}, {0, "lq3860ctl " LQ3860_VERSION "\n", ""}},
    {{"--json", "--device=LQ-3860", "signal"},
     {0,
      FIRST_MODULE_JSON + R"("signal":3,"signalByte":51})"
                          "\n",
      ""}},
    {{"read"}, {0, FRESH_MODULE, ""}},
    {{"read", "--save", "DIR/" + FOREIGN_NAME}, {0, "", ""}, "DIR/" + FOREIGN_NAME, FRESH_MODULE},
    {{"write", "DIR/to-write.txt"}, {0, "Upload Parameter OK\n", ""}, MEMORY, WRITTEN},
    {{"read"}, {0, WRITTEN, ""}},
    {{"write", "DIR/" + FOREIGN_NAME}, {0, "Upload Parameter OK\n", ""}, MEMORY, FRESH_MODULE},
    {{"read", "--save", "DIR/no-folder/x.txt"},
     {3, "", "lq3860ctl: DIR/no-folder/x.txt: Save database file failure (No such file or directory)\n"}},
};

// `text` with every "DIR/" standing for the test's folder.
std::string InFolder(std::string text, const TempDir& dir) {
    const std::string folder = dir.File("");
    for (std::size_t at = text.find("DIR/"); at != std::string::npos; at = text.find("DIR/", at + folder.size()))
        text.replace(at, 4, folder);
    return text;
}

TEST(ToolProgram, SimulatedModuleGivesTheSameBytesOnEveryPlatform) {
    const TempDir dir;
    WriteWholeFile(dir.File("to-write.txt"), TO_WRITE);
    for (const Step& step : STEPS) {
        std::vector<std::string> arguments = {LQ3860CTL_PATH, "--simulate=" + InFolder(MEMORY, dir)};
        for (const std::string& argument : step.arguments) arguments.push_back(InFolder(argument, dir));
        const std::string what = testing::PrintToString(step.arguments);
        const ToolRun expected = {step.expected.status, InFolder(step.expected.out, dir),
                                  InFolder(step.expected.err, dir)};
        EXPECT_EQ(RunProgram(arguments), expected) << what;
        if (!step.savedFile.empty()) {
            EXPECT_EQ(ReadWholeFile(InFolder(step.savedFile, dir)), step.savedBytes) << what;
        }
    }
}

}  // namespace

}  // namespace lq3860
