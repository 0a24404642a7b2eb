#pragma once
// Intrusive doubly linked lists: entries embed their node, so linking never
// allocates, an entry leaves its list when it is destroyed, and a list either
// owns (deletes) its entries or only links them.
#include <cstddef>

namespace kelvo {

class DynalistNode {
public:
    explicit DynalistNode(void* entry = nullptr) : Entry(entry), Next(this), Prev(this) {}
    DynalistNode(const DynalistNode&) = delete;
    DynalistNode& operator=(const DynalistNode&) = delete;
    virtual ~DynalistNode() { Unlink(); }
    // What clearing the list does with this node's entry.
    virtual void Release() {}

    // Takes the node out of its list; returns the entry. Does nothing when the
    // node is in no list.
    void* Unlink();
    bool Linked() const { return List != nullptr; }
    void* Object() const { return Entry; }
    DynalistNode* NextNode() const { return Next; }
    DynalistNode* PrevNode() const { return Prev; }

private:
    friend class DynalistImp;
    void* Entry;
    DynalistNode* Next;
    DynalistNode* Prev;
    int* List = nullptr; // the count of the list the node is in
};

// For lists that do not own their entries: clearing only unlinks.
class DynalistStaticENode : public DynalistNode {
public:
    using DynalistNode::DynalistNode;
    void Release() override { Unlink(); }
};

// For lists that own their entries: clearing unlinks and deletes the entry.
template <class T> class DynalistOwnerENode : public DynalistNode {
public:
    explicit DynalistOwnerENode(T* entry) : DynalistNode(entry) {}
    void Release() override { delete static_cast<T*>(Unlink()); }
};

class DynalistImp {
public:
    DynalistImp();
    DynalistImp(const DynalistImp&) = delete;
    DynalistImp& operator=(const DynalistImp&) = delete;
    ~DynalistImp() { Clear(); }

    int Count() const { return FCount; }
    bool Empty() const { return FCount == 0; }
    void Append(DynalistNode& node);
    // Inserts node before position (a node of this list, or the tail).
    void InsertBefore(DynalistNode& position, DynalistNode& node);
    DynalistNode* At(int index) const;
    void Clear();
    // Moves first .. last (exclusive) before position, all within this list.
    void Splice(DynalistNode& position, DynalistNode& first, DynalistNode& last);

    DynalistNode* First() const { return Head.Next == &Tail ? nullptr : Head.Next; }
    DynalistNode* Last() const { return Tail.Prev == &Head ? nullptr : Tail.Prev; }
    // The node after n, or null at the end.
    DynalistNode* After(const DynalistNode& n) const { return n.Next == &Tail ? nullptr : n.Next; }
    DynalistNode* Before(const DynalistNode& n) const { return n.Prev == &Head ? nullptr : n.Prev; }
    DynalistNode& End() { return Tail; }

private:
    int FCount = 0;
    DynalistNode Head;
    DynalistNode Tail;
};

// The typed view: yields the entry objects of the nodes.
template <class T> class Dynalist : public DynalistImp {
public:
    class iterator {
    public:
        iterator(const DynalistImp* l, DynalistNode* n) : L(l), N(n) {}
        T& operator*() const { return *static_cast<T*>(N->Object()); }
        T* operator->() const { return static_cast<T*>(N->Object()); }
        iterator& operator++() {
            N = L->After(*N);
            return *this;
        }
        bool operator!=(const iterator& o) const { return N != o.N; }
        bool operator==(const iterator& o) const { return N == o.N; }

    private:
        const DynalistImp* L;
        DynalistNode* N;
    };
    iterator begin() const { return iterator(this, First()); }
    iterator end() const { return iterator(this, nullptr); }

    T* EntryAt(int index) const {
        DynalistNode* n = At(index);
        return n ? static_cast<T*>(n->Object()) : nullptr;
    }
};

} // namespace kelvo
