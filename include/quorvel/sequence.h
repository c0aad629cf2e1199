/* Quorvel: the linked sequence, a doubly linked list of untyped pointers.
 * The list owns its nodes, never the data they point to. A position is a
 * node pointer; null means past the end. */
#ifndef QUORVEL_SEQUENCE_H
#define QUORVEL_SEQUENCE_H

#include <quorvel/base.h>

struct QUORVEL_API tagNODE {
    tagNODE *pNext;
    tagNODE *pPrev;
    void *pData;
};

struct QUORVEL_API tagSEQ {
    tagNODE *pHead;
    tagNODE *pTail;
    LONG lCount;

    tagSEQ();
    /* Releases the nodes still linked; never touches the data. */
    ~tagSEQ();
    tagSEQ(const tagSEQ &) = delete;
    tagSEQ &operator=(const tagSEQ &) = delete;
};

/* Zeroes the header without releasing nodes (abandons any it had). */
QUORVEL_API void Empty(tagSEQ &list);
QUORVEL_API void RemoveAll(tagSEQ &list);

QUORVEL_API tagNODE *AddHead(tagSEQ &list, void *data);
QUORVEL_API tagNODE *AddTail(tagSEQ &list, void *data);
/* Copies the source's data pointers in front of / behind the destination,
 * keeping their order. A list added to itself is left as it is. */
QUORVEL_API void AddHead(tagSEQ &dest, tagSEQ &source);
QUORVEL_API void AddTail(tagSEQ &dest, tagSEQ &source);

/* The position must be a node of the list; a null position inserts at the
 * head (InsertBefore) or the tail (InsertAfter). */
QUORVEL_API tagNODE *InsertBefore(tagSEQ &list, tagNODE *&position, void *data);
QUORVEL_API tagNODE *InsertAfter(tagSEQ &list, tagNODE *&position, void *data);

QUORVEL_API tagNODE *FindIndex(tagSEQ &list, int index);
QUORVEL_API tagNODE *Find(tagSEQ &list, void *data);

QUORVEL_API tagNODE *GetHeadPosition(tagSEQ &list);
QUORVEL_API tagNODE *GetTailPosition(tagSEQ &list);
/* Return the data at the position and move it on; it must not be null. */
QUORVEL_API void *GetNext(tagNODE *&position);
QUORVEL_API void *GetPrev(tagNODE *&position);
QUORVEL_API void *GetHead(tagSEQ &list);
QUORVEL_API void *GetTail(tagSEQ &list);
QUORVEL_API void *GetAt(tagNODE *position);

QUORVEL_API void *RemoveHead(tagSEQ &list);
QUORVEL_API void *RemoveTail(tagSEQ &list);
QUORVEL_API void *RemoveAt(tagSEQ &list, tagNODE *node);
QUORVEL_API int RemoveSearch(tagSEQ &list, void *data);
QUORVEL_API LONG GetCount(tagSEQ &list);

#endif
