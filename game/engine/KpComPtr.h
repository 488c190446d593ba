// One counted reference on a COM object: released when the holder goes, so
// the XML readers can return documents and nodes without release calls
// scattered over every early return.
#pragma once

#include <utility>

template <class T> class KpComPtr
{
public:
    KpComPtr() = default;
    // Takes over a reference the caller owns.
    explicit KpComPtr(T* owned) : mPtr(owned) {}
    KpComPtr(const KpComPtr& other) : mPtr(other.mPtr)
    {
        if (mPtr)
            mPtr->AddRef();
    }
    KpComPtr(KpComPtr&& other) noexcept : mPtr(other.mPtr) { other.mPtr = nullptr; }
    ~KpComPtr() { Reset(); }
    KpComPtr& operator=(KpComPtr other)
    {
        std::swap(mPtr, other.mPtr);
        return *this;
    }

    void Reset()
    {
        if (mPtr)
            mPtr->Release();
        mPtr = nullptr;
    }
    // For out arguments: drops the current reference and hands out the slot.
    T** Receive()
    {
        Reset();
        return &mPtr;
    }
    T* Get() const { return mPtr; }
    T* operator->() const { return mPtr; }
    explicit operator bool() const { return mPtr != nullptr; }

private:
    T* mPtr = nullptr;
};

// COM for the lifetime of a scope on the calling thread (the loading thread
// reads XML through COM objects).
class KpComScope
{
public:
    KpComScope();
    ~KpComScope();
    KpComScope(const KpComScope&) = delete;
    KpComScope& operator=(const KpComScope&) = delete;

private:
    bool mInitialised;
};
