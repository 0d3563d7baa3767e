#include "model/qelCommandList.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TCommandSet Sample(const QString& caption)
{
    TCommandSet set;
    set.Clear();
    set.Press.Caption = caption;
    set.Press.Msg = {1, 2, 60, 100};
    set.Press.Output = 3;
    set.Press.ButtonColour = 255;
    set.Release.ImageIndex = 7;
    set.Action = 2;
    set.HotKey = "F5";
    return set;
}

TCommandList ListOf(int count)
{
    TCommandList list;
    for (int i = 0; i < count; ++i)
        list.Add();
    return list;
}

TEST(CommandSet, ConstructionStateIsAllZeroUntilCleared)
{
    TCommandSet set;
    EXPECT_EQ(set.Press.Output, 0);
    EXPECT_EQ(set.Press.ButtonColour, 0u);
    EXPECT_EQ(set.Release.ImageIndex, 0);
    EXPECT_FALSE(set.Pressed);
}

TEST(CommandSet, ClearGivesTheDefaultsOnBothSidesAndKeepsPressed)
{
    TCommandSet set = Sample("x");
    set.Pressed = true;
    set.Clear();
    EXPECT_EQ(set.Action, 0);
    EXPECT_TRUE(set.HotKey.isEmpty());
    EXPECT_TRUE(set.Pressed);
    for (const TCommand* side : {&set.Press, &set.Release}) {
        EXPECT_TRUE(side->Caption.isEmpty());
        EXPECT_EQ(side->Msg, TMidiMsg{});
        EXPECT_EQ(side->Output, 1);
        EXPECT_EQ(side->ButtonColour, 15793151u);
        EXPECT_EQ(ColorRed(side->ButtonColour), 255);
        EXPECT_EQ(ColorGreen(side->ButtonColour), 251);
        EXPECT_EQ(ColorBlue(side->ButtonColour), 240);
        EXPECT_EQ(side->TextColour, 0u);
        EXPECT_EQ(side->ImageIndex, -1);
    }
}

TEST(CommandSet, AssignCopiesTheDefinitionButNotPressed)
{
    TCommandSet source = Sample("src");
    source.Pressed = true;
    TCommandSet target;
    target.Assign(source);
    EXPECT_TRUE(target.SameDefinition(source));
    EXPECT_FALSE(target.Pressed);
}

TEST(CommandList, AddReturnsSuccessiveIndicesAndClearsTheSet)
{
    TCommandList list;
    EXPECT_EQ(list.Add(), 0);
    EXPECT_EQ(list.Add(), 1);
    auto set = std::make_unique<TCommandSet>(Sample("not default"));
    EXPECT_EQ(list.Add(std::move(set)), 2);
    EXPECT_TRUE(list.Get(2).Press.Caption.isEmpty());
    EXPECT_EQ(list.Get(2).Action, 0);
    EXPECT_EQ(list.Get(2).Press.Output, 1);
}

TEST(CommandList, DeleteMovesLaterSetsUp)
{
    TCommandList list = ListOf(3);
    list.Get(2).Press.Caption = "third";
    list.Delete(1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(1).Press.Caption, "third");
}

TEST(CommandList, OutOfRangeIndicesNeverTouchMemoryOutsideTheList)
{
    TCommandList list = ListOf(2);
    list.Get(0).Press.Caption = "keep";
    EXPECT_THROW(list.Get(-1), std::out_of_range);
    EXPECT_THROW(list.Get(2), std::out_of_range);
    EXPECT_THROW(list.Delete(2), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    for (int index : {-1, 2, 1000}) {
        EXPECT_FALSE(list.Cut(index));
        EXPECT_FALSE(list.Copy(index));
        EXPECT_FALSE(list.Paste(index));
    }
    EXPECT_TRUE(list.ClipboardEmpty());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(0).Press.Caption, "keep");
}

TEST(CommandList, CutAtCountLeavesTheClipboardAsItWas)
{
    TCommandList list = ListOf(2);
    list.Get(0) = Sample("first");
    ASSERT_TRUE(list.Copy(0));
    EXPECT_FALSE(list.Cut(2));
    EXPECT_FALSE(list.Copy(2));
    EXPECT_EQ(list.Clipboard().Press.Caption, "first");
    EXPECT_FALSE(list.ClipboardEmpty());
}

TEST(CommandList, CutOnTheLastIndexClearsItAndFillsTheClipboard)
{
    TCommandList list = ListOf(3);
    list.Get(2).Assign(Sample("last"));
    EXPECT_TRUE(list.Cut(2));
    EXPECT_FALSE(list.ClipboardEmpty());
    EXPECT_TRUE(list.Get(2).Press.Caption.isEmpty());
    EXPECT_EQ(list.Get(2).Press.ButtonColour, kColorCream);
    EXPECT_EQ(list.Clipboard().Press.Caption, "last");
}

TEST(CommandList, CopyThenPasteOntoTwoButtonsGivesBothTheDefinition)
{
    TCommandList list = ListOf(10);
    list.Get(1).Assign(Sample("two"));
    ASSERT_TRUE(list.Copy(1));
    ASSERT_TRUE(list.Paste(4));
    ASSERT_TRUE(list.Paste(8));
    EXPECT_TRUE(list.Get(4).SameDefinition(list.Get(1)));
    EXPECT_TRUE(list.Get(8).SameDefinition(list.Get(1)));
    EXPECT_EQ(list.Get(1).Press.Caption, "two");
    EXPECT_FALSE(list.ClipboardEmpty());
}

TEST(CommandList, CutThenPasteBackRestoresAllButPressed)
{
    TCommandList list = ListOf(2);
    list.Get(0).Assign(Sample("mine"));
    list.Get(0).Pressed = true;
    const TCommandSet before = list.Get(0);
    ASSERT_TRUE(list.Cut(0));
    EXPECT_TRUE(list.Get(0).Pressed); // Clear leaves it alone
    ASSERT_TRUE(list.Paste(0));
    EXPECT_TRUE(list.Get(0).SameDefinition(before));
    EXPECT_TRUE(list.Get(0).Pressed);
}

TEST(CommandList, PasteKeepsTheTargetsPressed)
{
    TCommandList list = ListOf(2);
    list.Get(0).Assign(Sample("a"));
    list.Get(1).Pressed = true;
    list.Copy(0);
    list.Paste(1);
    EXPECT_TRUE(list.Get(1).Pressed);
    EXPECT_EQ(list.Get(1).Press.Caption, "a");
}

TEST(CommandList, PasteDoesNotLookAtClipboardEmpty)
{
    // The menu disables Paste until a Cut or Copy; the list itself pastes the construction state.
    TCommandList list = ListOf(1);
    list.Get(0).Assign(Sample("gone"));
    EXPECT_TRUE(list.Paste(0));
    EXPECT_TRUE(list.ClipboardEmpty());
    EXPECT_EQ(list.Get(0).Press.Output, 0);
    EXPECT_TRUE(list.Get(0).Press.Caption.isEmpty());
}

} // namespace
