#include <quorvel/sequence.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int a = 1, b = 2, c = 3, x = 9;

std::vector<void *> forwards(tagSEQ &list) {
    std::vector<void *> out;
    for (tagNODE *pos = GetHeadPosition(list); pos;) out.push_back(GetNext(pos));
    return out;
}

std::vector<void *> backwards(tagSEQ &list) {
    std::vector<void *> out;
    for (tagNODE *pos = GetTailPosition(list); pos;) out.push_back(GetPrev(pos));
    return out;
}

// Walks both ways and checks the header against the links.
void expect_list(tagSEQ &list, std::vector<void *> expected) {
    EXPECT_EQ(forwards(list), expected);
    std::vector<void *> reversed(expected.rbegin(), expected.rend());
    EXPECT_EQ(backwards(list), reversed);
    EXPECT_EQ(GetCount(list), static_cast<int32_t>(expected.size()));
    EXPECT_EQ(list.pHead == nullptr, list.pTail == nullptr);
}

TEST(Sequence, EmptyListAnswersNullEverywhere) {
    tagSEQ list;
    EXPECT_EQ(GetHead(list), nullptr);
    EXPECT_EQ(GetTail(list), nullptr);
    EXPECT_EQ(RemoveHead(list), nullptr);
    EXPECT_EQ(RemoveTail(list), nullptr);
    EXPECT_EQ(RemoveAt(list, nullptr), nullptr);
    EXPECT_EQ(FindIndex(list, 0), nullptr);
    EXPECT_EQ(GetAt(nullptr), nullptr);
    expect_list(list, {});  // no positions, a count of 0
}

TEST(Sequence, AddsInsertsAndFinds) {
    tagSEQ list;
    AddTail(list, &b);
    AddHead(list, &a);
    tagNODE *tail = AddTail(list, &c);
    expect_list(list, {&a, &b, &c});

    tagNODE *head = GetHeadPosition(list);
    tagNODE *before = InsertBefore(list, head, &x);
    EXPECT_EQ(list.pHead, before);
    EXPECT_EQ(head, FindIndex(list, 1));  // the position is left unchanged
    tagNODE *after = InsertAfter(list, tail, nullptr);
    EXPECT_EQ(list.pTail, after);
    expect_list(list, {&x, &a, &b, &c, nullptr});

    tagNODE *middle = FindIndex(list, 2);
    InsertAfter(list, middle, &x);
    InsertBefore(list, middle, &x);
    expect_list(list, {&x, &a, &x, &b, &x, &c, nullptr});

    EXPECT_EQ(GetAt(FindIndex(list, 3)), &b);
    EXPECT_EQ(FindIndex(list, 7), nullptr);
    EXPECT_EQ(FindIndex(list, -1), nullptr);
    EXPECT_EQ(Find(list, &x), list.pHead);
    EXPECT_EQ(Find(list, nullptr), list.pTail);  // null data is found by equality
    EXPECT_EQ(Find(list, &list), nullptr);
    RemoveAll(list);
}

TEST(Sequence, RemovalsKeepTheLinksAndReturnTheData) {
    tagSEQ list;
    AddTail(list, &a);
    EXPECT_EQ(RemoveHead(list), &a);
    expect_list(list, {});

    for (void *p : {&a, &x, &b, &x, &c}) AddTail(list, p);
    AddTail(list, nullptr);
    EXPECT_EQ(RemoveSearch(list, nullptr), 0);  // null is never searched
    EXPECT_EQ(RemoveSearch(list, &x), 1);       // only the first of two
    expect_list(list, {&a, &b, &x, &c, nullptr});
    EXPECT_EQ(RemoveSearch(list, &list), 0);
    EXPECT_EQ(RemoveTail(list), nullptr);
    EXPECT_EQ(RemoveTail(list), &c);
    EXPECT_EQ(RemoveAt(list, FindIndex(list, 1)), &b);
    expect_list(list, {&a, &x});
    RemoveAll(list);
    expect_list(list, {});
}

TEST(Sequence, RemovingTheNodeJustPassedDoesNotDisturbTheWalk) {
    tagSEQ list;
    std::vector<int> values = {1, 2, 3, 4, 5, 6};
    for (int &v : values) AddTail(list, &v);
    std::vector<int> seen;
    for (tagNODE *pos = GetHeadPosition(list); pos;) {
        tagNODE *kept = pos;
        int *value = static_cast<int *>(GetNext(pos));
        seen.push_back(*value);
        if (*value % 2 == 0) RemoveAt(list, kept);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    expect_list(list, {&values[0], &values[2], &values[4]});
}

TEST(Sequence, TwoListAddsCopyPointersInOrder) {
    tagSEQ source, tail_dest, head_dest;
    for (void *p : {&a, &b, &c}) AddTail(source, p);
    AddTail(tail_dest, &x);
    AddTail(head_dest, &x);
    AddTail(tail_dest, source);
    AddHead(head_dest, source);
    expect_list(tail_dest, {&x, &a, &b, &c});
    expect_list(head_dest, {&a, &b, &c, &x});
    expect_list(source, {&a, &b, &c});
    AddTail(source, source);  // refused, unchanged
    AddHead(source, source);
    expect_list(source, {&a, &b, &c});
}

TEST(Sequence, ReleasingNodesLeavesTheDataToTheCaller) {
    std::string *text = new std::string("kept");
    {
        tagSEQ list;
        AddTail(list, text);
        AddTail(list, text);
        RemoveAll(list);
        AddTail(list, text);
    }  // the destructor releases the last node
    EXPECT_EQ(*text, "kept");
    delete text;

    tagSEQ list;
    AddTail(list, &a);
    tagNODE *abandoned = list.pHead;
    Empty(list);  // abandons, does not release
    expect_list(list, {});
    EXPECT_EQ(abandoned->pData, &a);
    tagSEQ owner;
    owner.pHead = owner.pTail = abandoned;
    owner.lCount = 1;
}

}  // namespace
