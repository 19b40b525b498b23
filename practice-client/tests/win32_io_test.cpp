// Tests of the Win32 side of the log, the control file and the code-page conversion; they run under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "control_file.h"
#include "event_log.h"
#include "text_codec.h"

namespace vorivevo::practice {
namespace {

class TempFile {
public:
    TempFile() {
        char directory[MAX_PATH];
        char name[MAX_PATH];
        GetTempPathA(MAX_PATH, directory);
        GetTempFileNameA(directory, "vpc", 0, name);
        path_ = name;
        DeleteFileA(name);
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    const std::string& Path() const { return path_; }

    void Append(const std::string& bytes) const {
        std::ofstream(path_, std::ios::binary | std::ios::app) << bytes;
    }
    void Replace(const std::string& bytes) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string path_;
};

using Lines = std::vector<std::string>;

TEST(TextCodec, Utf8BecomesCodePage1252Bytes) {
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    EXPECT_EQ(ToAnsi("\xC3\xB7\xC2\xA4 caf\xC3\xA9"), "\xF7\xA4 caf\xE9");
}

// Tests may write raw ANSI bytes into the control file; those must not be mangled.
TEST(TextCodec, BytesThatAreNotUtf8PassUnchanged) {
    EXPECT_EQ(ToAnsi("\xF7\xA4"), "\xF7\xA4");
    EXPECT_EQ(ToAnsi("plain"), "plain");
    EXPECT_EQ(ToAnsi(""), "");
}

TEST(TextCodec, Utf16RoundTrip) {
    std::string text = "\xC3\xB7\xC2\xA4 \xE2\x82\xAC";
    EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
}

TEST(ControlFile, GivesEachCompletedLineOnce) {
    TempFile file;
    ControlFile control(file.Path());
    EXPECT_EQ(control.NewLines(), Lines{}) << "the file does not exist yet";
    file.Append("open-palette\ndraft hal");
    EXPECT_EQ(control.NewLines(), Lines{"open-palette"});
    EXPECT_EQ(control.NewLines(), Lines{});
    file.Append("f\nquit\n");
    EXPECT_EQ(control.NewLines(), (Lines{"draft half", "quit"}));
}

TEST(ControlFile, AShorterFileIsReadFromItsStart) {
    TempFile file;
    ControlFile control(file.Path());
    file.Append("open-palette\nopen-modal\n");
    EXPECT_EQ(control.NewLines().size(), 2u);
    file.Replace("quit\n");
    EXPECT_EQ(control.NewLines(), Lines{"quit"});
}

TEST(ControlFile, ReadsFilesLargerThanOneBuffer) {
    TempFile file;
    ControlFile control(file.Path());
    std::string longDraft(10000, 'x');
    file.Append("draft " + longDraft + "\nquit\n");
    EXPECT_EQ(control.NewLines(), (Lines{"draft " + longDraft, "quit"}));
}

TEST(EventLog, AppendsStampedRecords) {
    TempFile file;
    file.Append("earlier\n");
    {
        EventLog log(file.Path());
        ASSERT_FALSE(log.Failed());
        log.Event("ready");
        log.Received("#\xF7\xA4");
    }
    std::string content = file.Read();
    ASSERT_EQ(content.rfind("earlier\n", 0), 0u) << content;
    Lines bodies;
    std::size_t begin = 8;
    for (std::size_t end = content.find('\n', begin); end != std::string::npos; end = content.find('\n', begin)) {
        std::string record = content.substr(begin, end - begin);
        begin = end + 1;
        std::size_t tab = record.find('\t');
        ASSERT_NE(tab, std::string::npos) << record;
        ASSERT_GE(tab, 5u) << record;
        EXPECT_EQ(record[tab - 4], '.') << "three digits of milliseconds: " << record;
        // Seconds since the Unix epoch: compare with the C library's clock, loosely.
        EXPECT_NEAR(std::stod(record.substr(0, tab)), static_cast<double>(std::time(nullptr)), 120.0) << record;
        bodies.push_back(record.substr(tab + 1));
    }
    EXPECT_EQ(begin, content.size()) << "the last record ends with a newline";
    EXPECT_EQ(bodies, (Lines{"#ready", "\\x23\\xF7\\xA4"}));
}

TEST(EventLog, ReportsAPathItCannotOpen) {
    EXPECT_TRUE(EventLog("Z:\\no\\such\\directory\\log").Failed());
    EXPECT_FALSE(EventLog("").Failed());
}

}  // namespace
}  // namespace vorivevo::practice
