#include <gtest/gtest.h>

#include <vector>

#include "keylatch_rules.h"

namespace {

struct Key {
    unsigned vk;
    int down;
};

const Key AltDown{KEYLATCH_VK_LMENU, 1}, AltUp{KEYLATCH_VK_LMENU, 0};
const Key ShiftDown{KEYLATCH_VK_LSHIFT, 1}, ShiftUp{KEYLATCH_VK_LSHIFT, 0};
Key Press(unsigned vk)
{
    return {vk, 1};
}

struct KeyRun {
    std::vector<int> codes;
    std::vector<int> swallowed; // virtual keys kept from the program
};

KeyRun Feed(const std::vector<Key> &keys)
{
    KeyLatchState state = {};
    KeyRun run;
    for (const Key &k : keys) {
        KeyLatchAction a = KeyLatchOnKey(&state, k.vk, k.down);
        if (a.code != KEYLATCH_NONE)
            run.codes.push_back(a.code);
        if (a.swallow)
            run.swallowed.push_back((int)k.vk);
    }
    return run;
}

} // namespace

TEST(KeyLatchRules, ArrowsOpenWalkAndReleaseJumps)
{
    KeyRun run = Feed({AltDown, ShiftDown, Press(KEYLATCH_VK_DOWN), Press(KEYLATCH_VK_DOWN),
                    Press(KEYLATCH_VK_UP), ShiftUp, AltUp});
    EXPECT_EQ(run.codes, (std::vector<int>{KEYLATCH_OPEN_LIST, KEYLATCH_NEXT, KEYLATCH_PREVIOUS,
                                           KEYLATCH_JUMP}));
    EXPECT_EQ(run.swallowed.size(), 3u) << "the arrows must not also move a caret";
}

TEST(KeyLatchRules, EitherModifierOrderAndSideWorks)
{
    KeyRun run = Feed({{KEYLATCH_VK_RSHIFT, 1}, {KEYLATCH_VK_MENU, 1}, Press(KEYLATCH_VK_UP),
                    {KEYLATCH_VK_MENU, 0}, {KEYLATCH_VK_RSHIFT, 0}});
    EXPECT_EQ(run.codes, (std::vector<int>{KEYLATCH_OPEN_LIST, KEYLATCH_JUMP}))
        << "one jump, on the first modifier let go";
}

TEST(KeyLatchRules, ArrowsWithoutBothModifiersAreLeftAlone)
{
    EXPECT_TRUE(Feed({AltDown, Press(KEYLATCH_VK_DOWN), AltUp}).codes.empty());
    EXPECT_TRUE(Feed({ShiftDown, Press(KEYLATCH_VK_UP), ShiftUp}).codes.empty());
    EXPECT_TRUE(Feed({Press(KEYLATCH_VK_INSERT), Press(KEYLATCH_VK_DELETE)}).swallowed.empty());
}

TEST(KeyLatchRules, InsertMakesANoteAndEndsThePick)
{
    KeyRun run = Feed({AltDown, ShiftDown, Press(KEYLATCH_VK_INSERT), ShiftUp, AltUp});
    EXPECT_EQ(run.codes, (std::vector<int>{KEYLATCH_NEW_NOTE}));
    run = Feed({AltDown, ShiftDown, Press(KEYLATCH_VK_DOWN), Press(KEYLATCH_VK_INSERT), ShiftUp});
    EXPECT_EQ(run.codes, (std::vector<int>{KEYLATCH_OPEN_LIST, KEYLATCH_NEW_NOTE}))
        << "letting go after a new note must not jump away from it";
}

TEST(KeyLatchRules, DeleteOnlyWhileTheListShowsTheNote)
{
    KeyRun run = Feed({AltDown, ShiftDown, Press(KEYLATCH_VK_DELETE), ShiftUp, AltUp});
    EXPECT_TRUE(run.codes.empty());
    EXPECT_TRUE(run.swallowed.empty());
    run = Feed({AltDown, ShiftDown, Press(KEYLATCH_VK_DOWN), Press(KEYLATCH_VK_DELETE), ShiftUp});
    EXPECT_EQ(run.codes, (std::vector<int>{KEYLATCH_OPEN_LIST, KEYLATCH_DELETE_NOTE}));
}

TEST(KeyLatchRules, AnyOtherKeyClosesTheListAndGoesThrough)
{
    KeyRun run = Feed({AltDown, ShiftDown, Press(KEYLATCH_VK_DOWN), Press('A'), ShiftUp, AltUp});
    EXPECT_EQ(run.codes, (std::vector<int>{KEYLATCH_OPEN_LIST, KEYLATCH_CLOSE_LIST}));
    EXPECT_EQ(run.swallowed, (std::vector<int>{KEYLATCH_VK_DOWN}));
}
