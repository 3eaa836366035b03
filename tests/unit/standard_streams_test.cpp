#include "standard_streams.h"

#include <gtest/gtest.h>

namespace velkaron::cli {
namespace {

TEST(WriteFailureMessage, NamesTheStreamTheSystemTextAndTheCode) {
  EXPECT_EQ(write_failure_message(StandardStream::output, {232, "The pipe is being closed."}),
            "failed printing to stdout: The pipe is being closed. (os error 232)\n");
  EXPECT_EQ(write_failure_message(StandardStream::error, {112, "Disk full."}),
            "failed printing to stderr: Disk full. (os error 112)\n");
  EXPECT_EQ(write_failure_message(StandardStream::output, {4294967295u, ""}),
            "failed printing to stdout: (os error 4294967295)\n");
}

}  // namespace
}  // namespace velkaron::cli
