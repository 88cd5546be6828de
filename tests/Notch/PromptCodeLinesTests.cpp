#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "Halvane/Notch/Cards/PromptCardText.h"
#include "Halvane/Notch/Cards/PromptCodeLines.h"
#include "Halvane/Theme/NotchPalette.h"
#include "QtPrinters.h"
#include "TempDir.h"

using namespace halvane;
using halvane::test::TempDir;

namespace {

class PromptCodeLinesTest : public ::testing::Test {
protected:
    // A source file whose line `line` (from 1) holds `text`.
    std::string writeSource(const std::string& name, int line, const std::string& text) {
        const auto path = m_dir / name;
        std::ofstream file(path);
        for (int number = 1; number < line; ++number) {
            file << "// line " << number << "\n";
        }
        file << text << "\n// after\n";
        return path.string();
    }

    static nlohmann::json edit(const std::string& path, const std::string& oldText,
                               const std::string& newText) {
        return {{"file_path", path}, {"old_string", oldText}, {"new_string", newText}};
    }

    static std::vector<int> numbers(const std::vector<DiffLine>& lines) {
        std::vector<int> result;
        for (const DiffLine& line : lines) {
            result.push_back(line.lineNumber.value_or(-1));
        }
        return result;
    }

    static std::vector<std::string> texts(const std::vector<DiffLine>& lines) {
        std::vector<std::string> result;
        for (const DiffLine& line : lines) {
            result.push_back((line.marker + line.text).toStdString());
        }
        return result;
    }

    TempDir m_dir{"code-lines"};
};

}  // namespace

TEST_F(PromptCodeLinesTest, NumbersAnEditWhereItsOldTextSitsInTheFile) {
    const std::string path = writeSource("engine.cpp", 42, "int answer() { return 41; }");
    const auto lines = PromptCodeLines::diffLines(
        "Edit", edit(path, "int answer() { return 41; }\n", "int answer() {\n    return 42;\n}\n"),
        "/elsewhere");
    EXPECT_EQ(numbers(lines), (std::vector<int>{42, 43, 42, 43, 44, 45}));
    EXPECT_EQ(texts(lines),
              (std::vector<std::string>{"−int answer() { return 41; }", "−", "+int answer() {",
                                        "+    return 42;", "+}", "+"}));
    EXPECT_EQ(lines.front().markerColor, NotchPalette::systemRed());
    EXPECT_EQ(lines.front().backgroundTint, NotchPalette::systemRed());
    EXPECT_EQ(lines.back().markerColor, NotchPalette::systemGreen());
    EXPECT_EQ(lines.back().backgroundTint, NotchPalette::systemGreen());
}

TEST_F(PromptCodeLinesTest, ANewFileIsAllAddedLinesFromOne) {
    const auto lines = PromptCodeLines::diffLines(
        "Write", {{"file_path", (m_dir / "new.md").string()}, {"content", "# Title\n\nBody"}}, "");
    EXPECT_EQ(numbers(lines), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(texts(lines), (std::vector<std::string>{"+# Title", "+", "+Body"}));
}

TEST_F(PromptCodeLinesTest, AWriteReadsContentNotNewString) {
    const auto lines = PromptCodeLines::diffLines(
        "Write", {{"file_path", "/x"}, {"content", "a"}, {"new_string", "b"}}, "");
    EXPECT_EQ(texts(lines), std::vector<std::string>{"+a"});
}

TEST_F(PromptCodeLinesTest, RelativePathsAreReadFromTheSessionsFolder) {
    writeSource("relative.txt", 7, "needle");
    EXPECT_EQ(PromptCodeLines::startLine(std::string("relative.txt"), "needle", m_dir.path()), 7);
}

TEST_F(PromptCodeLinesTest, AnyTroubleReadingTheFileStartsAtOne) {
    const std::string path = writeSource("source.txt", 9, "needle");
    EXPECT_EQ(PromptCodeLines::startLine(path, "needle", ""), 9);
    EXPECT_EQ(PromptCodeLines::startLine(path, "absent", ""), 1);
    EXPECT_EQ(PromptCodeLines::startLine(path, "", ""), 1);
    EXPECT_EQ(PromptCodeLines::startLine(std::nullopt, "needle", ""), 1);
    EXPECT_EQ(PromptCodeLines::startLine((m_dir / "missing").string(), "needle", ""), 1);
    EXPECT_EQ(PromptCodeLines::startLine(m_dir.path().string(), "needle", ""), 1);

    const auto binary = m_dir / "latin1.txt";
    std::ofstream(binary) << "\n\ncaf\xe9\nneedle\n";
    EXPECT_EQ(PromptCodeLines::startLine(binary.string(), "needle", ""), 1);

    // A pipe would block the reader forever: it is not read at all.
    const auto fifo = m_dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(PromptCodeLines::startLine(fifo.string(), "needle", ""), 1);
}

TEST_F(PromptCodeLinesTest, AMultiFileEditListsEachEditFromItsOwnLine) {
    const auto path = m_dir / "multi.txt";
    std::ofstream(path) << "alpha\nbeta\ngamma\ndelta\n";
    const nlohmann::json input = {
        {"file_path", path.string()},
        {"edits",
         {{{"old_string", "beta"}, {"new_string", "BETA"}},
          {{"old_string", "delta"}, {"new_string", "DELTA"}, {"replace_all", false}}}}};
    const auto lines = PromptCodeLines::diffLines("MultiEdit", input, "");
    EXPECT_EQ(numbers(lines), (std::vector<int>{2, 2, 4, 4}));
    EXPECT_EQ(texts(lines), (std::vector<std::string>{"−beta", "+BETA", "−delta", "+DELTA"}));
}

TEST_F(PromptCodeLinesTest, UnreadableInputGivesNoLines) {
    const nlohmann::json empty = PromptCardText::parseJSON(std::string("not json"));
    EXPECT_TRUE(PromptCodeLines::diffLines("Edit", empty, "").empty());
    EXPECT_TRUE(PromptCodeLines::commandLines(empty).empty());
    EXPECT_FALSE(PromptCodeLines::commandDescription(empty).has_value());
}

TEST_F(PromptCodeLinesTest, ACommandIsNumberedFromOneBehindAPrompt) {
    const nlohmann::json input = {{"command", "cd build\ncmake ..\nninja"},
                                  {"description", "Build the project"}};
    const auto lines = PromptCodeLines::commandLines(input);
    EXPECT_EQ(numbers(lines), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(texts(lines), (std::vector<std::string>{"$cd build", "$cmake ..", "$ninja"}));
    EXPECT_EQ(lines.front().markerColor, NotchPalette::accent());
    EXPECT_FALSE(lines.front().backgroundTint.has_value());
    EXPECT_EQ(PromptCodeLines::commandDescription(input), "Build the project");
    EXPECT_FALSE(PromptCodeLines::commandDescription({{"description", ""}}).has_value());
}

TEST_F(PromptCodeLinesTest, AFileLineHasNoNumberMarkerOrTint) {
    const DiffLine line = PromptCodeLines::pathLine("src/main.cpp");
    EXPECT_FALSE(line.lineNumber.has_value());
    EXPECT_TRUE(line.marker.isEmpty());
    EXPECT_EQ(line.markerColor, NotchPalette::dimText());
    EXPECT_EQ(line.text, "src/main.cpp");
    EXPECT_FALSE(line.backgroundTint.has_value());
}
