#include "core/store/file_layer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "core/base/errors.h"
#include "tests/support/test_support.h"

namespace mk {
namespace {

class FileLayerTest : public ::testing::Test {
protected:
    void TearDown() override { fs::clearFaults(); }
    test::TempFolder temp;
};

using test::errorNumberOf;

TEST_F(FileLayerTest, ReplaceFileSwapsTheContentsPrivatelyAndLeavesNoTemporary) {
    const std::string target = temp.path() + "data.dat";
    test::writeFile(target, "old");
    fs::replaceFile(target, "new contents");
    EXPECT_EQ(test::readFile(target), "new contents");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(fs::listDirectory(temp.path()), std::vector<std::string>{"data.dat"});
}

TEST_F(FileLayerTest, AFailureAtAnyStepLeavesTheOldFileAndNoTemporary) {
    const std::string target = temp.path() + "data.dat";
    test::writeFile(target, "old");
    for (const char* op : {"open", "write", "fsync", "close", "rename"}) {
        SCOPED_TRACE(op);
        fs::failOperation(op, op == std::string("write") ? ENOSPC : EIO);
        const int number = errorNumberOf([&] { fs::replaceFile(target, "new"); });
        fs::clearFaults();
        EXPECT_EQ(number, op == std::string("write") ? ErrDiskFull : errorNumberFromErrno(EIO));
        EXPECT_EQ(test::readFile(target), "old");
        EXPECT_EQ(fs::listDirectory(temp.path()), std::vector<std::string>{"data.dat"});
    }
}

TEST_F(FileLayerTest, FailCallHitsExactlyTheNthCall) {
    const std::string path = temp.path() + "f";
    const long before = fs::callCount();
    fs::File f = fs::File::openReadWrite(path);
    EXPECT_GT(fs::callCount(), before);

    fs::failCall(2, EACCES);
    f.writeAt(0, "ab", 2);  // the 1st call from now succeeds
    EXPECT_EQ(errorNumberOf([&] { f.writeAt(2, "cd", 2); }), ErrPermissionDenied);
    f.writeAt(2, "cd", 2);  // and the fault is spent
    f.close();
    EXPECT_EQ(test::readFile(path), "abcd");
}

TEST_F(FileLayerTest, FileReadsShortAtTheEndAndAppends) {
    const std::string path = temp.path() + "f";
    fs::File f = fs::File::create(path);
    f.append("hello");
    f.append(" world");
    char buffer[16];
    EXPECT_EQ(f.readAt(6, buffer, sizeof buffer), 5u);
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(f.size(), 11);
    f.truncate(5);
    f.close();
    EXPECT_NO_THROW(f.close());  // closing a closed file is harmless
    EXPECT_EQ(fs::readWholeFile(path), "hello");
    EXPECT_EQ(errorNumberOf([&] { f.writeAt(0, "x", 1); }), ErrBadFileNameOrNumber);
}

TEST_F(FileLayerTest, CloseSyncsAWrittenFileOnly) {
    const std::string path = temp.path() + "f";
    test::writeFile(path, "abc");
    fs::failOperation("fsync", EIO);
    fs::File reader = fs::File::openReadWrite(path);
    char c;
    reader.readAt(0, &c, 1);
    EXPECT_NO_THROW(reader.close());  // nothing written, nothing to sync
    fs::File writer = fs::File::openReadWrite(path);
    writer.writeAt(0, "x", 1);
    EXPECT_NE(errorNumberOf([&] { writer.close(); }), 0);
    EXPECT_FALSE(writer.isOpen());
    fs::clearFaults();
}

TEST_F(FileLayerTest, MissingFilesAndFoldersGiveTheClassicNumbers) {
    EXPECT_EQ(errorNumberOf([&] { fs::File::openRead(temp.path() + "none"); }), ErrFileNotFound);
    EXPECT_EQ(errorNumberOf([&] { fs::removeFile(temp.path() + "none"); }), ErrFileNotFound);
    EXPECT_EQ(fs::fileSize(temp.path() + "none"), -1);
    test::writeFile(temp.path() + "plain", "x");
    EXPECT_EQ(errorNumberOf([&] { fs::File::openReadWrite(temp.path() + "plain/x"); }),
              ErrPathNotFound);
}

TEST_F(FileLayerTest, CopyFileKeepsTheModifiedTimeWhenAsked) {
    const std::string from = temp.path() + "a", to = temp.path() + "b";
    test::writeFile(from, "payload");
    fs::setModifiedTime(from, 1000000000);
    fs::copyFile(from, to, true);
    EXPECT_EQ(test::readFile(to), "payload");
    EXPECT_EQ(fs::modifiedTime(to), 1000000000);
    fs::copyFile(from, to, false);
    EXPECT_NE(fs::modifiedTime(to), 1000000000);
}

}  // namespace
}  // namespace mk
