#include "wine_exit_noise.h"

#include <gtest/gtest.h>

#include <string>

namespace velkaron::wine_test {
namespace {

constexpr std::string_view kOwn = "MFStartup failed: Module not found. (0x8007007E)\n";

TEST(WineExitNoise, EveryFormSeenAtTheEndIsDropped) {
  for (const std::string noise : {"wine client error:118: ", "wine client error:118: \n",
                                  "wine client error:1a4: sendmsg: Connection reset by peer\n",
                                  "wine client error:1A4: sendmsg: Broken pipe",
                                  "wine client error:118: \nwine client error:119: "}) {
    EXPECT_EQ(without_wine_exit_noise(std::string(kOwn) + noise), kOwn) << noise;
    EXPECT_EQ(without_wine_exit_noise(noise), "") << noise;
  }
}

TEST(WineExitNoise, TheProgramsOwnBytesAreKept) {
  for (const std::string_view text :
       {kOwn,
        std::string_view(
            "wine client error:118: \nNo hardware H.264 MFT encoder was enumerated.\n"),
        std::string_view("No encoder: wine client error:118: \n"),
        std::string_view("wine client error:: sendmsg\n"),
        std::string_view("wine client error:x1: \n"), std::string_view("")}) {
    EXPECT_EQ(without_wine_exit_noise(text), text) << text;
  }
}

}  // namespace
}  // namespace velkaron::wine_test
