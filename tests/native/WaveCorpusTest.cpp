// Replays every committed corpus file (scripts/make_corpus.py) through the parser and
// checks the verdict recorded for it in expected.txt.
#include "WaveBytes.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> ReadExpectations()
{
    std::map<std::string, std::string> verdicts;
    std::ifstream in(fs::path(VORSEL_CORPUS_DIR) / "expected.txt");
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos)
            verdicts[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return verdicts;
}

std::vector<char> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

} // namespace

TEST(WaveCorpus, EveryFileGetsItsRecordedVerdict)
{
    const auto verdicts = ReadExpectations();
    ASSERT_GE(verdicts.size(), 30u) << "corpus manifest missing or short";
    size_t checked = 0;
    for (const auto& entry : fs::directory_iterator(VORSEL_CORPUS_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".wav")
            continue;
        const auto verdict = verdicts.find(name);
        ASSERT_NE(verdict, verdicts.end()) << name << " is not in expected.txt";
        // The name prefix and the verdict must agree, so a mislabelled file is caught too.
        EXPECT_EQ(StartsWith(name, "ok_"), verdict->second == "none") << name;
        EXPECT_TRUE(StartsWith(name, "ok_") || StartsWith(name, "bad_")) << name;

        const std::vector<char> bytes = ReadFile(entry.path());
        wave::WaveLayout layout;
        const wave::WaveError error = wave::ParseWave(bytes.data(), bytes.size(), layout);
        EXPECT_EQ(wave::WaveErrorName(error), verdict->second) << name;
        if (error == wave::WaveError::None) {
            EXPECT_LE(layout.dataOffset + layout.dataBytes, bytes.size()) << name;
        }
        ++checked;
    }
    EXPECT_EQ(checked, verdicts.size()) << "expected.txt names files that are missing";
}
