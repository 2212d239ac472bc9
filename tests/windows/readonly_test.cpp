// A file with the read-only attribute is refused with a reason that says so,
// and left as it was. Must run as an ordinary user: Wine run by root writes
// read-only files all the same.
#include "error.h"
#include "file.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <windows.h>

using quenlo::test::readall;
using quenlo::test::TempDir;

TEST(WindowsFiles, shouldRefuseAReadOnlyFileAndSaySo)
{
    TempDir dir;
    const auto path = dir.write("READONLY.PRJ", "/8203 read-only");
    const auto wide = quenlo::test::fromutf8(path).wstring();
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));

    try {
        quenlo::openforupdate(path);
        ADD_FAILURE() << "opened a read-only file for writing";
    } catch (const quenlo::Error &error) {
        EXPECT_EQ(error.number(), ERROR_ACCESS_DENIED);
        EXPECT_NE(std::string(error.what()).find("the file is read-only"), std::string::npos) << error.what();
    }

    EXPECT_EQ(readall(path), "/8203 read-only");
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
}
