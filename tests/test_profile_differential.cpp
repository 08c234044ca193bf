// Records what the system's private profile functions do with every case of
// tests/profile_cases.txt, on real files in a scratch folder of the suite's
// prefix. The native build's own functions are then held to these
// observations (profile_differential_native); this test removes the old
// record first, so a failed run leaves none to compare with.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>
#include "support/profile_cases.h"

namespace {

// Beside the program's working folder, the test tree (ctest starts it there).
const char TablePath[] = "profile_cases.txt";
const char ObservationsPath[] = "profile_observations.txt";

TEST(ProfileDifferential, RecordsWhatTheSystemDoesWithEveryCase)
{
    std::remove(ObservationsPath);
    std::string table;
    ASSERT_TRUE(ReadWholeFile(TablePath, &table));
    std::vector<ProfileCase> cases;
    std::string error;
    ASSERT_TRUE(ParseProfileCases(table, &cases, &error)) << error;

    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    std::string folder = std::string(temp) + "lumivane-profile-cases-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;

    std::string record = "table " + ProfileTableDigest(table) + " acp " + std::to_string(GetACP()) + "\n";
    for (size_t i = 0; i < cases.size(); ++i)
        record += ObserveProfileCase(cases[i], folder, static_cast<int>(i));
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << "a case left a file behind in " << folder;
    EXPECT_EQ(std::string::npos, record.find("\nerror ")) << record.substr(record.find("\nerror "), 200);
    ASSERT_TRUE(WriteWholeFile(ObservationsPath, record));
}

} // namespace
