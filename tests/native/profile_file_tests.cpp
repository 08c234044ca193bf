// What only the native profile writer does, beyond the system's functions:
// it never writes into a read-only file or folder, even as the superuser,
// keeps the file's mode, replaces a link's target, and leaves no file of its
// own behind.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <utility>
#include <vector>
#include "settings/private_profile.h"
#include "support/profile_cases.h"

namespace {

const char Original[] = "[s]\n k = old \n";
const char Replaced[] = "[s]\r\nk=new\r\n";

class ScratchFolder {
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/lumivane-profile-file-XXXXXX";
        path_ = mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~ScratchFolder()
    {
        chmod(path_.c_str(), 0700);
        for (const std::string& name : Names())
            unlink((path_ + "/" + name).c_str());
        rmdir(path_.c_str());
    }
    std::string File(const char* name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        if (DIR* folder = opendir(path_.c_str())) {
            while (dirent* entry = readdir(folder))
                if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                    names.push_back(entry->d_name);
            closedir(folder);
        }
        return names;
    }

private:
    std::string path_;
};

mode_t ModeOf(const std::string& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 ? status.st_mode : 0;
}

std::string Bytes(const std::string& path)
{
    std::string bytes;
    return ReadWholeFile(path, &bytes) ? bytes : "<none>";
}

// A write that changes the value and one that would change nothing are both
// refused in a read-only file or folder, and the file keeps its bytes.
TEST(ProfileFile, ReadOnlyFileOrFolderRefusesEveryWrite)
{
    const struct {
        mode_t file;
        mode_t folder;
    } cases[] = {{0444, 0700}, {0400, 0700}, {0644, 0555}, {0644, 0500}};
    for (const auto& c : cases) {
        ScratchFolder scratch;
        std::string path = scratch.File("control.ini");
        ASSERT_TRUE(WriteWholeFile(path, Original));
        chmod(path.c_str(), c.file);
        chmod(scratch.Path().c_str(), c.folder);
        SCOPED_TRACE(testing::Message() << std::oct << "file " << c.file << ", folder " << c.folder);
        EXPECT_EQ(0, WritePrivateProfileStringA("s", "k", "new", path.c_str()));
        EXPECT_EQ(0, WritePrivateProfileStringA("s", "k", "old", path.c_str()));
        EXPECT_EQ(0, WritePrivateProfileStringA("s", "k", nullptr, path.c_str()));
        EXPECT_EQ(Original, Bytes(path));
        EXPECT_EQ(1u, scratch.Names().size());
        char value[8];
        EXPECT_EQ(3u, GetPrivateProfileStringA("s", "k", "", value, sizeof value, path.c_str()));
    }
}

TEST(ProfileFile, NoNewFileInAReadOnlyFolder)
{
    ScratchFolder scratch;
    chmod(scratch.Path().c_str(), 0555);
    EXPECT_EQ(0, WritePrivateProfileStringA("s", "k", "v", scratch.File("control.ini").c_str()));
    EXPECT_TRUE(scratch.Names().empty());
}

TEST(ProfileFile, ReplacementKeepsTheModeAndLeavesNothingBehind)
{
    for (mode_t mode : {0600, 0640, 0664, 0606}) {
        ScratchFolder scratch;
        std::string path = scratch.File("control.ini");
        ASSERT_TRUE(WriteWholeFile(path, Original));
        chmod(path.c_str(), mode);
        EXPECT_EQ(1, WritePrivateProfileStringA("s", "k", "new", path.c_str())) << std::oct << mode;
        chmod(path.c_str(), 0600);
        EXPECT_EQ(Replaced, Bytes(path)) << std::oct << mode;
        chmod(path.c_str(), mode);
        EXPECT_EQ(S_IFREG | mode, ModeOf(path)) << std::oct << mode;
        EXPECT_EQ(std::vector<std::string>{"control.ini"}, scratch.Names());
    }
}

TEST(ProfileFile, NewFileTakesTheUmask)
{
    ScratchFolder scratch;
    mode_t old = umask(027);
    EXPECT_EQ(1, WritePrivateProfileStringA("s", "k", "new", scratch.File("control.ini").c_str()));
    umask(old);
    EXPECT_EQ(S_IFREG | 0640, ModeOf(scratch.File("control.ini")));
    EXPECT_EQ(Replaced, Bytes(scratch.File("control.ini")));
}

// A link to a file, and one whose file does not exist yet, through one link
// or two: the links stay, the file at the end is written, and keeps its mode.
TEST(ProfileFile, ALinkStaysALinkAndItsTargetIsReplaced)
{
    const struct {
        const char* what;
        std::vector<std::pair<const char*, const char*>> links;   // name, what it points to
        bool targetExists;
    } cases[] = {
        {"a link to a file", {{"control.ini", "real.ini"}}, true},
        {"a link to no file yet", {{"control.ini", "real.ini"}}, false},
        {"links to links to no file yet", {{"control.ini", "middle.ini"}, {"middle.ini", "real.ini"}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder scratch;
        std::string target = scratch.File("real.ini");
        if (c.targetExists) {
            ASSERT_TRUE(WriteWholeFile(target, Original));
            chmod(target.c_str(), 0640);
        }
        for (const auto& link : c.links)
            ASSERT_EQ(0, symlink(link.second, scratch.File(link.first).c_str()));
        EXPECT_EQ(1, WritePrivateProfileStringA("s", "k", "new", scratch.File("control.ini").c_str()));
        for (const auto& link : c.links)
            EXPECT_TRUE(S_ISLNK(ModeOf(scratch.File(link.first)))) << link.first;
        EXPECT_EQ(Replaced, Bytes(target));
        if (c.targetExists) {
            EXPECT_EQ(S_IFREG | 0640, ModeOf(target));
        }
        EXPECT_EQ(c.links.size() + 1, scratch.Names().size());
    }
}

// A file in a folder that does not exist cannot be opened at all: reads give
// the default as it is, quotes and all (less its trailing spaces), and
// writes fail without a trace.
TEST(ProfileFile, MissingFolderIsNoFile)
{
    ScratchFolder scratch;
    std::string path = scratch.File("gone/control.ini");
    char value[16];
    EXPECT_EQ(3u, GetPrivateProfileStringA("s", "k", "\"d\"  ", value, sizeof value, path.c_str()));
    EXPECT_STREQ("\"d\"", value);
    EXPECT_EQ(0, WritePrivateProfileStringA("s", "k", "v", path.c_str()));
    EXPECT_TRUE(scratch.Names().empty());
    EXPECT_EQ(7u, GetPrivateProfileIntA("s", "k", 7, path.c_str()));
}

} // namespace
