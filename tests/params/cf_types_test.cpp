#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "params/cf_types.h"
#include "params/parameter_ids.h"
#include "params/value_texts.h"

namespace gw {
namespace {

// Counts destructions so tests can see when the last reference goes.
struct CountedString : CFString {
  explicit CountedString(int* destroyed) : CFString("x"), destroyed_(destroyed) {}
  ~CountedString() override { ++*destroyed_; }
  int* destroyed_;
};

TEST(TextObjects, LastReleaseDestroys) {
  int destroyed = 0;
  auto* s = new CountedString(&destroyed);
  CFRetain(s);
  CFRetain(s);
  CFRelease(s);
  EXPECT_EQ(destroyed, 0);
  CFRelease(s);
  EXPECT_EQ(destroyed, 1);
  CFRetain(nullptr);
  CFRelease(nullptr);
}

TEST(TextObjects, InterningIsByLiteralAddress) {
  static const char kText[] = "Interned";
  CFString* first = CFSTR(kText);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CFSTR(kText), first);
  EXPECT_EQ(first->text(), "Interned");
  EXPECT_EQ(CFSTR(nullptr), nullptr);
}

TEST(TextObjects, GetCStringNeedsRoomForTheTerminator) {
  CFString* s = CFSTR("Band");
  char buffer[8] = "zzzzzzz";
  EXPECT_FALSE(CFStringGetCString(s, buffer, 4));
  EXPECT_STREQ(buffer, "zzzzzzz");  // nothing written
  EXPECT_TRUE(CFStringGetCString(s, buffer, 5));
  EXPECT_STREQ(buffer, "Band");
  EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 8));
}

TEST(TextObjects, ArrayHoldsCopiesAndReleasesThem) {
  static const char kA[] = "A";
  static const char kB[] = "B";
  CFString* items[] = {CFSTR(kA), CFSTR(kB)};
  CFArray* array = CFArrayCreate(items, 2);
  ASSERT_NE(array, nullptr);
  ASSERT_EQ(array->count(), 2u);
  EXPECT_NE(array->at(0), items[0]);
  EXPECT_EQ(array->at(1)->text(), "B");
  EXPECT_EQ(array->at(2), nullptr);
  CFRelease(array);
  EXPECT_EQ(CFSTR(kA)->text(), "A");  // the interned originals stay
}

TEST(ValueTexts, NamesAndSpecialValues) {
  ASSERT_EQ(valueNames(param::envSelect(3)).size(), 4u);
  EXPECT_EQ(valueNames(param::envSelect(3))[0]->text(), "None");
  ASSERT_EQ(valueNames(param::lfoMultiplier(2)).size(), 3u);
  EXPECT_EQ(valueNames(param::lfoMultiplier(2))[2]->text(), "100");
  EXPECT_TRUE(valueNames(param::kModulationVoices).empty());

  CFString* text = nullptr;
  EXPECT_TRUE(valueText(param::envTimeR2(1), 5.0f, &text));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), "Inf");
  EXPECT_TRUE(valueText(param::envTimeR2(1), 4.99f, &text));
  EXPECT_EQ(text, nullptr);
  EXPECT_FALSE(valueText(param::kFilterCutoff, 5.0f, &text));
}

TEST(ValueTexts, FilterTypeNamesOnlyAtWholeTypes) {
  const struct {
    float value;
    const char* text;
  } cases[] = {{0.0f, "Thru"},  {1.0f, "Low"},    {2.0f, "Band"},  {2.004f, "Band"},
               {3.0f, "High"},  {4.0f, "Thru"},   {1.2f, nullptr}, {0.88f, nullptr},
               {5.0f, nullptr}, {-1.0f, nullptr}, {NAN, nullptr},  {1e30f, nullptr}};
  for (const auto& c : cases) {
    CFString* text = nullptr;
    EXPECT_TRUE(valueText(param::kFilterType, c.value, &text));
    if (c.text == nullptr) {
      EXPECT_EQ(text, nullptr) << c.value;
    } else {
      ASSERT_NE(text, nullptr) << c.value;
      EXPECT_EQ(text->text(), c.text);
    }
  }
}

// Hosts ask for texts from several threads: first use and retain/release must not race.
TEST(ValueTexts, ConcurrentFirstUseAndReferenceCounting) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&wrong] {
      for (int i = 0; i < 2000; ++i) {
        CFString* inf = nullptr;
        valueText(param::kFilterEnvRelease, 5.0f, &inf);
        CFRelease(CFRetain(inf));
        auto names = valueNames(param::envSelect(1 + i % 16));
        CFArray* copy = CFArrayCreate(names.data(), names.size());
        if (inf == nullptr || inf->text() != "Inf" || copy->count() != 4) ++wrong;
        CFRelease(copy);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace gw
