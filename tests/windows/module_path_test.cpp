#include <gtest/gtest.h>

#include "base/module_path.h"

namespace tarvenish {
namespace {

// The module that holds a function is found through GetModuleFileNameW: here the test program itself.
TEST(ModulePathOnWindows, TheProgramHoldingAFunctionIsTheRunningProgram) {
    const std::filesystem::path own = modulePathOf(reinterpret_cast<const void*>(&modulePathOf));
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(own, executablePath());
    EXPECT_EQ(own.filename(), "core_tests.exe");
}

}  // namespace
}  // namespace tarvenish
