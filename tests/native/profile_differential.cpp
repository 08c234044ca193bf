// Runs every case of tests/profile_cases.txt through the native profile
// functions and compares what it sees with what the system's functions did
// (the record that test_profile_differential writes under Wine). A missing
// record, or one made from another version of the table, fails.
//   profile_differential TABLE RECORD [GoogleTest options]
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>
#include "support/profile_cases.h"

namespace {

const char* g_tablePath = nullptr;
const char* g_recordPath = nullptr;
// The code page the native functions convert with.
const char NativeCodePage[] = "1252";
const char CaseMark[] = "case ";
const size_t ShownContext = 120;

// The record's blocks, one per case, after its first line.
std::vector<std::string> SplitCases(const std::string& record, std::string* header)
{
    std::vector<std::string> blocks;
    size_t lineEnd = record.find('\n');
    *header = record.substr(0, lineEnd);
    for (size_t at = lineEnd == std::string::npos ? record.size() : lineEnd + 1; at < record.size();) {
        size_t next = record.find(std::string("\n") + CaseMark, at);
        size_t end = next == std::string::npos ? record.size() : next + 1;
        blocks.push_back(record.substr(at, end - at));
        at = end;
    }
    return blocks;
}

// Where two observations part, with some text of each around it.
std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    size_t from = at > ShownContext / 2 ? at - ShownContext / 2 : 0;
    return "at character " + std::to_string(at) + "\n  system: ..." + expected.substr(from, ShownContext) +
           "\n  native: ..." + actual.substr(from, ShownContext);
}

TEST(ProfileDifferential, EveryCaseDoesWhatTheSystemDid)
{
    std::string table, record;
    ASSERT_TRUE(ReadWholeFile(g_tablePath, &table)) << g_tablePath;
    ASSERT_TRUE(ReadWholeFile(g_recordPath, &record))
        << "no record of the system's run at " << g_recordPath << " (test_profile_differential makes it)";
    std::vector<ProfileCase> cases;
    std::string error;
    ASSERT_TRUE(ParseProfileCases(table, &cases, &error)) << error;
    std::string header;
    std::vector<std::string> observed = SplitCases(record, &header);
    ASSERT_EQ("table " + ProfileTableDigest(table) + " acp " + NativeCodePage, header)
        << "the record was made from another table or code page";
    ASSERT_EQ(cases.size(), observed.size());

    char folderTemplate[] = "/tmp/lumivane-profile-cases-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    ASSERT_NE(nullptr, folder);
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string native = ObserveProfileCase(cases[i], folder, static_cast<int>(i));
        if (native != observed[i])
            ADD_FAILURE() << "case " << cases[i].name << " (line " << cases[i].line << ") differs "
                          << FirstDifference(observed[i], native);
    }
    EXPECT_EQ(0, rmdir(folder)) << "a case left a file behind in " << folder;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TABLE RECORD\n", argv[0]);
        return EXIT_FAILURE;
    }
    g_tablePath = argv[1];
    g_recordPath = argv[2];
    return RUN_ALL_TESTS();
}
