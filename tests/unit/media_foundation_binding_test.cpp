// Binding Media Foundation's functions by name, against the real loader. Loading
// the module and binding it whole are covered end to end; the one path those runs
// cannot reach is a module that lacks a function.

#include <gtest/gtest.h>

#include "platform/media_foundation_binding.h"

namespace velkaron::platform {
namespace {

// The loader's error, which MFStartup then reports, and never success.
TEST(MediaFoundationBindingTest, AModuleLackingTheFunctionsGivesProcedureNotFound) {
  ::SetLastError(ERROR_SUCCESS);
  const auto bound = bind_media_foundation(::GetModuleHandleW(L"kernel32.dll"));
  ASSERT_FALSE(bound.has_value());
  EXPECT_EQ(bound.error(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

}  // namespace
}  // namespace velkaron::platform
