// The linked sequence: a doubly linked list of caller-owned pointers.
#include <quorvel/sequence.h>

namespace {

tagNODE *new_node(void *data) {
    tagNODE *node = new tagNODE;
    node->pNext = nullptr;
    node->pPrev = nullptr;
    node->pData = data;
    return node;
}

void delete_node(tagNODE *node) {
    node->pNext = nullptr;
    node->pPrev = nullptr;
    node->pData = nullptr;
    delete node;
}

}  // namespace

tagSEQ::tagSEQ() : pHead(nullptr), pTail(nullptr), lCount(0) {}

tagSEQ::~tagSEQ() {
    for (tagNODE *node = pHead; node;) {
        tagNODE *next = node->pNext;
        delete_node(node);
        node = next;
    }
    Empty(*this);
}

void Empty(tagSEQ &list) {
    list.pHead = nullptr;
    list.pTail = nullptr;
    list.lCount = 0;
}

void RemoveAll(tagSEQ &list) {
    while (list.pHead) RemoveAt(list, list.pHead);
    Empty(list);
}

tagNODE *AddHead(tagSEQ &list, void *data) {
    tagNODE *node = new_node(data);
    node->pNext = list.pHead;
    if (list.pHead)
        list.pHead->pPrev = node;
    else
        list.pTail = node;
    list.pHead = node;
    ++list.lCount;
    return node;
}

tagNODE *AddTail(tagSEQ &list, void *data) {
    tagNODE *node = new_node(data);
    node->pPrev = list.pTail;
    if (list.pTail)
        list.pTail->pNext = node;
    else
        list.pHead = node;
    list.pTail = node;
    ++list.lCount;
    return node;
}

// A list added to itself would meet its own new nodes for ever: refused.
void AddHead(tagSEQ &dest, tagSEQ &source) {
    if (&dest == &source) return;
    for (tagNODE *position = GetTailPosition(source); position;)
        AddHead(dest, GetPrev(position));
}

void AddTail(tagSEQ &dest, tagSEQ &source) {
    if (&dest == &source) return;
    for (tagNODE *position = GetHeadPosition(source); position;)
        AddTail(dest, GetNext(position));
}

tagNODE *InsertBefore(tagSEQ &list, tagNODE *&position, void *data) {
    tagNODE *at = position;
    if (!at) return AddHead(list, data);
    tagNODE *node = new_node(data);
    node->pNext = at;
    node->pPrev = at->pPrev;
    at->pPrev = node;
    if (node->pPrev) node->pPrev->pNext = node;
    if (list.pHead == at) list.pHead = node;
    ++list.lCount;
    return node;
}

tagNODE *InsertAfter(tagSEQ &list, tagNODE *&position, void *data) {
    tagNODE *at = position;
    if (!at) return AddTail(list, data);
    tagNODE *node = new_node(data);
    node->pPrev = at;
    node->pNext = at->pNext;
    at->pNext = node;
    if (node->pNext) node->pNext->pPrev = node;
    if (list.pTail == at) list.pTail = node;
    ++list.lCount;
    return node;
}

tagNODE *FindIndex(tagSEQ &list, int index) {
    if (index < 0 || index >= list.lCount) return nullptr;
    tagNODE *node = list.pHead;
    while (node && index-- > 0) node = node->pNext;
    return node;
}

tagNODE *Find(tagSEQ &list, void *data) {
    for (tagNODE *node = list.pHead; node; node = node->pNext)
        if (node->pData == data) return node;
    return nullptr;
}

tagNODE *GetHeadPosition(tagSEQ &list) { return list.pHead; }
tagNODE *GetTailPosition(tagSEQ &list) { return list.pTail; }

void *GetNext(tagNODE *&position) {
    tagNODE *node = position;
    position = node->pNext;
    return node->pData;
}

void *GetPrev(tagNODE *&position) {
    tagNODE *node = position;
    position = node->pPrev;
    return node->pData;
}

void *GetHead(tagSEQ &list) { return list.pHead ? list.pHead->pData : nullptr; }
void *GetTail(tagSEQ &list) { return list.pTail ? list.pTail->pData : nullptr; }
void *GetAt(tagNODE *position) { return position ? position->pData : nullptr; }

void *RemoveHead(tagSEQ &list) { return RemoveAt(list, list.pHead); }
void *RemoveTail(tagSEQ &list) { return RemoveAt(list, list.pTail); }

void *RemoveAt(tagSEQ &list, tagNODE *node) {
    if (!node) return nullptr;
    if (list.pHead == node) list.pHead = node->pNext;
    if (list.pTail == node) list.pTail = node->pPrev;
    --list.lCount;
    if (node->pPrev) node->pPrev->pNext = node->pNext;
    if (node->pNext) node->pNext->pPrev = node->pPrev;
    void *data = node->pData;
    delete_node(node);
    return data;
}

int RemoveSearch(tagSEQ &list, void *data) {
    if (!data) return 0;
    tagNODE *node = Find(list, data);
    if (!node) return 0;
    RemoveAt(list, node);
    return 1;
}

LONG GetCount(tagSEQ &list) { return list.lCount; }
