#pragma once
// Owning pointers and the assertion reporter.
#include <cstddef>
#include <utility>

namespace kelvo {

// Shows "expr @ file/line" with the question "Press [Y]es to terminate, ..." in
// a box titled "_ASSERTE: ". Yes raises EAssertionFailed("expr failed - file/line");
// No and Cancel return to the caller, which goes on.
void ReportAssertion(const char* expr, const char* file, int line);

#define KELVO_ASSERT(expr)                                                                         \
    do {                                                                                           \
        if (!(expr))                                                                               \
            ::kelvo::ReportAssertion(#expr, __FILE__, __LINE__);                                   \
    } while (0)

// An empty owning pointer that is dereferenced is reported, and the access is
// refused whatever the answer: there is no object to work on.
[[noreturn]] void EmptyPointerAccess(int line);

class TPtrBase {
protected:
    static constexpr int DereferenceLine = 353;
    static constexpr int MemberAccessLine = 356;
};

// Single owner of one heap object.
template <class T> class TPtr : public TPtrBase {
public:
    TPtr() = default;
    explicit TPtr(T* p) : m_ptr(p) {}
    TPtr(TPtr&& other) noexcept : m_ptr(other.Release()) {}
    TPtr& operator=(TPtr&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    TPtr& operator=(T* p) {
        Reset(p);
        return *this;
    }
    TPtr(const TPtr&) = delete;
    TPtr& operator=(const TPtr&) = delete;
    ~TPtr() { delete m_ptr; }

    T* operator->() const {
        if (!m_ptr)
            EmptyPointerAccess(MemberAccessLine);
        return m_ptr;
    }
    T& operator*() const {
        if (!m_ptr)
            EmptyPointerAccess(DereferenceLine);
        return *m_ptr;
    }
    T* Get() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    T* Release() { return std::exchange(m_ptr, nullptr); }
    void Reset(T* p = nullptr) {
        if (p != m_ptr)
            delete std::exchange(m_ptr, p);
    }

private:
    T* m_ptr = nullptr;
};

// Single owner of one heap array.
template <class T> class TAPtr : public TPtrBase {
public:
    TAPtr() = default;
    explicit TAPtr(T* p) : m_ptr(p) {}
    explicit TAPtr(std::size_t n) : m_ptr(new T[n]()) {}
    TAPtr(TAPtr&& other) noexcept : m_ptr(other.Release()) {}
    TAPtr& operator=(TAPtr&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    TAPtr(const TAPtr&) = delete;
    TAPtr& operator=(const TAPtr&) = delete;
    ~TAPtr() { delete[] m_ptr; }

    T& operator[](std::size_t i) const {
        if (!m_ptr)
            EmptyPointerAccess(DereferenceLine);
        return m_ptr[i];
    }
    T& operator*() const {
        if (!m_ptr)
            EmptyPointerAccess(DereferenceLine);
        return *m_ptr;
    }
    T* Get() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    T* Release() { return std::exchange(m_ptr, nullptr); }
    void Reset(T* p = nullptr) {
        if (p != m_ptr)
            delete[] std::exchange(m_ptr, p);
    }

private:
    T* m_ptr = nullptr;
};

} // namespace kelvo
