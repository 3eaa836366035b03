// Every owner of a platform resource, driven the same way against the ledger: what it
// holds is replaced by move assignment, the replacement is reset, and a third goes with
// its owner. Each is given back exactly once, when its owner lets go of it.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/activation_array.h"
#include "platform/com_ptr.h"
#include "platform/platform_memory.h"
#include "platform/platform_startup.h"
#include "scripted_platform.h"

namespace velkaron {
namespace {

namespace substitute = test_support::substitute;
using test_support::ScriptedActivate;
using test_support::ScriptedPlatform;
using test_support::ScriptedTransform;
using Calls = std::vector<std::string>;

class OwnersTest : public testing::Test {
 protected:
  ScriptedPlatform platform_;
};

TEST_F(OwnersTest, ComPtrReleasesEachReferenceOnce) {
  auto& first = platform_.make<ScriptedTransform>("first");
  auto& second = platform_.make<ScriptedTransform>("second");
  auto& third = platform_.make<ScriptedTransform>("third");
  {
    platform::com_ptr<IMFTransform> holder(first.hand_out());
    platform::com_ptr<IMFTransform> replacement(second.hand_out());
    holder = std::move(replacement);
    holder.reset();
    platform::com_ptr<IMFTransform> last(third.hand_out());
  }
  EXPECT_EQ(platform_.calls_starting("Release"),
            (Calls{"Release first", "Release second", "Release third"}));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(OwnersTest, ActivationArrayReleasesTheEntriesLeftInItThenFreesItself) {
  auto& taken = platform_.make<ScriptedActivate>("taken");
  auto& middle = platform_.make<ScriptedActivate>("middle");
  auto& last = platform_.make<ScriptedActivate>("last");
  platform_.enumerate({&taken, nullptr, &middle, &last});
  {
    platform::ActivationArray array;
    ASSERT_EQ(platform_.script().mft_enum_ex(array.put_array(), array.put_count()), S_OK);
    const platform::com_ptr<IMFActivate> held = array.take(0);
  }
  EXPECT_EQ(platform_.calls_starting_any({"Release", "CoTaskMemFree"}),
            (Calls{"Release taken", "Release middle", "Release last", "CoTaskMemFree"}));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(OwnersTest, EachStartUpIsUndoneOnce) {
  {
    auto entered = platform::enter_com_apartment();
    ASSERT_TRUE(entered);
    platform::ComApartment holder = std::move(*entered);
    platform_.ledger().record("replace");
    holder = std::move(*platform::enter_com_apartment());
    platform_.ledger().record("reset");
    holder.reset();
    holder.reset();
    platform_.ledger().record("destroy");
    const auto started = platform::start_media_foundation();
    ASSERT_TRUE(started);
  }
  EXPECT_EQ(platform_.ledger().calls,
            (Calls{"CoInitializeEx", "replace", "CoInitializeEx", "CoUninitialize", "reset",
                   "CoUninitialize", "destroy", "MFStartup", "MFShutdown"}));
}

// The kinds of platform memory: how the substitute hands one out, and which of its
// blocks are still unfreed.
struct TaskMemory {
  using Owner = platform::unique_cotaskmem_string;
  static WCHAR* allocate() { return substitute::alloc_task_string(u"task"); }
  static const std::set<const void*>& unfreed() { return substitute::ledger().task_memory; }
};
struct Bstr {
  using Owner = platform::unique_bstr;
  static BSTR allocate() { return substitute::alloc_bstr(u"bstr"); }
  static const std::set<const void*>& unfreed() { return substitute::ledger().bstrs; }
};
struct HeapString {
  using Owner = platform::unique_process_heap_string;
  static WCHAR* allocate() { return substitute::alloc_heap_string(u"heap"); }
  static const std::set<const void*>& unfreed() { return substitute::ledger().heap_blocks; }
};

template <class Kind>
class BlockOwnerTest : public OwnersTest {};
using BlockKinds = testing::Types<TaskMemory, Bstr, HeapString>;
TYPED_TEST_SUITE(BlockOwnerTest, BlockKinds);

TYPED_TEST(BlockOwnerTest, FreesEachBlockOnce) {
  using Owner = typename TypeParam::Owner;
  {
    Owner holder(TypeParam::allocate());
    Owner replacement(TypeParam::allocate());
    const std::set<const void*> kept{replacement.get()};
    holder = std::move(replacement);
    EXPECT_EQ(TypeParam::unfreed(), kept);
    holder.reset();
    EXPECT_TRUE(TypeParam::unfreed().empty());
    const Owner last(TypeParam::allocate());
  }
  EXPECT_TRUE(TypeParam::unfreed().empty());
  EXPECT_EQ(substitute::ledger().faults, Calls{});
}

}  // namespace
}  // namespace velkaron
