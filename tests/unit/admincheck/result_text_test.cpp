// What the library's own tests under Wine cannot provoke: a node allocation that fails, the
// largest sizes, the most negative number. (Node layout and cut texts are checked there.)
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "admincheck/result_text.h"

namespace {

std::size_t g_asked;  // bytes of the last allocation asked for, 0 when none was
void* AllocateNothing(std::size_t bytes) {
    g_asked = bytes;
    return nullptr;
}
void* Allocate(std::size_t bytes) {
    g_asked = bytes;
    return std::calloc(1, bytes);
}
void Copy(char* to, const char* from, int count) {
    std::strncpy(to, from, static_cast<std::size_t>(count) - 1);
}

TEST(PushResultText, LargestSizesAndFailedAllocationsLeaveTheStackUnchanged) {
    char earlier_node[16] = {};
    void* head = earlier_node;
    ostrilon::LibraryValues values;
    values.stack_head = &head;

    const ostrilon::NodeMemory exhausted{AllocateNothing, Copy};
    values.string_size = INT_MAX - 8;
    g_asked = 0;
    EXPECT_FALSE(ostrilon::PushResultText(values, "1", exhausted));
    EXPECT_EQ(g_asked, static_cast<std::size_t>(INT_MAX)) << "the largest node still asked for";
    EXPECT_EQ(head, earlier_node);

    const ostrilon::NodeMemory memory{Allocate, Copy};
    values.string_size = INT_MAX - 7;  // its node size overflows a 32-bit size
    g_asked = 0;
    EXPECT_FALSE(ostrilon::PushResultText(values, "1", memory));
    EXPECT_EQ(g_asked, 0u);
    EXPECT_EQ(head, earlier_node);

    values.string_size = 4;
    ASSERT_TRUE(ostrilon::PushResultText(values, "1309", memory));
    EXPECT_EQ(g_asked, 12u) << "string size + 8";
    EXPECT_STREQ(static_cast<char*>(head) + ostrilon::kTextOffset, "130");
    void* next;
    std::memcpy(&next, head, sizeof next);
    EXPECT_EQ(next, earlier_node);
    std::free(head);
}

TEST(DecimalText, SignedBaseTen) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0"}, {1309, "1309"}, {-1, "-1"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const auto& [value, expected] : cases) {
        char text[20];
        std::memset(text, 'x', sizeof text);
        ostrilon::DecimalText(value, text);
        EXPECT_STREQ(text, expected);
    }
}

}  // namespace
