// The report's file on Linux: replaced whole or not at all, never through another user's link.
#include "platform/posix/PosixFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/velnor-files-XXXXXX";
        path = mkdtemp(name);
    }
    ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
};

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace

TEST(PosixFiles, ReplacesWholeOrSaysWhyAndKeepsWhatWasThere) {
    platform::posix::PosixFiles files;
    Folder folder;
    const std::string path = folder.path + "/report.txt";
    Write(path, std::string(100000, 'z'));
    EXPECT_EQ(files.replaceFile(path, "new\r\n"), std::nullopt);
    EXPECT_EQ(Read(path), "new\r\n");

    const auto missing = files.replaceFile(folder.path + "/missing/report.txt", "x");
    ASSERT_TRUE(missing.has_value());
    EXPECT_FALSE(missing->empty());

    // A folder where the file should be: it and its content stay as they were.
    const std::string taken = folder.path + "/taken";
    ASSERT_EQ(mkdir(taken.c_str(), 0700), 0);
    Write(taken + "/keep.txt", "kept");
    EXPECT_TRUE(files.replaceFile(taken, "x").has_value());
    EXPECT_EQ(Read(taken + "/keep.txt"), "kept");
}

// A link planted in a shared folder must not have the report replace what it points to; the
// user's own link is written through, as ever.
TEST(PosixFiles, NeverWritesThroughAnotherUsersLink) {
    platform::posix::PosixFiles files;
    Folder folder;
    const std::string target = folder.path + "/precious.txt";
    const std::string link = folder.path + "/report.txt";
    Write(target, "precious");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    if (lchown(link.c_str(), 65534, 65534) != 0) {
        GTEST_SKIP() << "needs root, to give the link to another user";
    }
    const auto refused = files.replaceFile(link, "report");
    ASSERT_TRUE(refused.has_value());
    EXPECT_NE(refused->find("belongs to another user"), std::string::npos);
    EXPECT_EQ(Read(target), "precious");
    struct stat status {};
    ASSERT_EQ(lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));

    ASSERT_EQ(lchown(link.c_str(), geteuid(), getegid()), 0);
    EXPECT_EQ(files.replaceFile(link, "report"), std::nullopt);
    EXPECT_EQ(Read(target), "report");
}
