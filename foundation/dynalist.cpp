#include "dynalist.h"

namespace kelvo {

void* DynalistNode::Unlink() {
    if (List && *List > 0) {
        --*List;
        Prev->Next = Next;
        Next->Prev = Prev;
        Next = Prev = this;
        List = nullptr;
    }
    return Entry;
}

DynalistImp::DynalistImp() {
    // Entries lie between the ends; each end's outer link points to itself.
    Head.Next = &Tail;
    Tail.Prev = &Head;
    Head.List = Tail.List = &FCount;
}

void DynalistImp::Append(DynalistNode& node) {
    InsertBefore(Tail, node);
}

void DynalistImp::InsertBefore(DynalistNode& position, DynalistNode& node) {
    node.Unlink();
    node.Prev = position.Prev;
    node.Next = &position;
    position.Prev->Next = &node;
    position.Prev = &node;
    node.List = &FCount;
    ++FCount;
}

DynalistNode* DynalistImp::At(int index) const {
    if (index < 0 || index >= FCount)
        return nullptr;
    DynalistNode* n;
    if (index < FCount / 2) {
        n = Head.Next;
        while (index-- > 0)
            n = n->Next;
    } else {
        n = Tail.Prev;
        for (int i = FCount - 1; i > index; --i)
            n = n->Prev;
    }
    return n;
}

void DynalistImp::Clear() {
    while (Head.Next != &Tail) {
        DynalistNode* n = Head.Next;
        n->Release();
        if (Head.Next == n) // a plain node does nothing on release
            n->Unlink();
    }
}

void DynalistImp::Splice(DynalistNode& position, DynalistNode& first, DynalistNode& last) {
    if (&first == &last || &position == &first || &position == &last)
        return;
    DynalistNode* lastIn = last.Prev;
    // Take first .. lastIn out ...
    first.Prev->Next = &last;
    last.Prev = first.Prev;
    // ... and put them in before position.
    first.Prev = position.Prev;
    lastIn->Next = &position;
    position.Prev->Next = &first;
    position.Prev = lastIn;
}

} // namespace kelvo
