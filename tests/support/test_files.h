// Names of files a test writes: its own, so that tests running at the same
// time (ctest -j) never share one.
#pragma once

#include <gtest/gtest.h>

#include <string>

// "<suite>.<test>.<extension>" in the working folder.
inline std::string uniqueTestFile(const char* extension)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(test->test_suite_name()) + "." + test->name() + "." + extension;
}
