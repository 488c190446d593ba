// Stretched drawing never reads outside its source image. The source pixels
// lie between two pages that may not be touched, so a read past either end of
// the array, by one pixel or by many, faults; a handler records the fault and
// lets the read go on. A source one pixel high puts both ends of its only row
// at the ends of the array.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

// A pixel array of whole pages between two pages that fault on any access.
class GuardedPixels
{
public:
    explicit GuardedPixels(size_t count)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        mPage = info.dwPageSize;
        mBytes = count * sizeof(uint32_t);
        mBase = (uint8_t*)VirtualAlloc(nullptr, mBytes + 2 * mPage, MEM_RESERVE | MEM_COMMIT,
                                       PAGE_NOACCESS);
        DWORD old;
        VirtualProtect(mBase + mPage, mBytes, PAGE_READWRITE, &old);
        sActive = this;
        mHandler = AddVectoredExceptionHandler(1, OnFault);
    }
    ~GuardedPixels()
    {
        RemoveVectoredExceptionHandler(mHandler);
        sActive = nullptr;
        VirtualFree(mBase, 0, MEM_RELEASE);
    }

    uint32_t* Pixels() const { return (uint32_t*)(mBase + mPage); }
    bool FillsWholePages() const { return mBytes % mPage == 0; }

    // Faults since the last call; the guard pages fault again from now on.
    int TakeFaults(long* firstOffset)
    {
        int faults = mFaults;
        *firstOffset = mFirstOffset;
        mFaults = 0;
        DWORD old;
        VirtualProtect(mBase, mPage, PAGE_NOACCESS, &old);
        VirtualProtect(mBase + mPage + mBytes, mPage, PAGE_NOACCESS, &old);
        return faults;
    }

private:
    static LONG CALLBACK OnFault(EXCEPTION_POINTERS* pointers)
    {
        GuardedPixels* self = sActive;
        const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
        if (!self || record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
            record->NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        const uintptr_t at = record->ExceptionInformation[1];
        const uintptr_t base = (uintptr_t)self->mBase;
        if (at < base || at >= base + self->mBytes + 2 * self->mPage)
            return EXCEPTION_CONTINUE_SEARCH;
        if (self->mFaults++ == 0)
            self->mFirstOffset = ((long)(at - base) - (long)self->mPage) / 4;
        // The read goes on and sees zeros; the test fails on the record.
        DWORD old;
        VirtualProtect((void*)(at - (at - base) % self->mPage), self->mPage, PAGE_READONLY, &old);
        return EXCEPTION_CONTINUE_EXECUTION;
    }

    static GuardedPixels* sActive;
    uint8_t* mBase = nullptr;
    size_t mPage = 4096, mBytes = 0;
    PVOID mHandler = nullptr;
    int mFaults = 0;
    long mFirstOffset = 0; // pixels from the first one; negative before the array
};

GuardedPixels* GuardedPixels::sActive = nullptr;

// A memory image whose pixel array is the guarded one while it lives.
class GuardedSource
{
public:
    GuardedSource(int width, int height) : mGuard((size_t)width * height)
    {
        std::vector<uint32_t> px((size_t)width * height, 0xFFFF0000);
        mImage.SetPixels(px.data(), width, height, true);
        memcpy(mGuard.Pixels(), px.data(), px.size() * sizeof(uint32_t));
        mOwn = mImage.mPixels;
        mImage.mPixels = mGuard.Pixels();
    }
    ~GuardedSource() { mImage.mPixels = mOwn; }

    MemoryImage mImage{nullptr};
    GuardedPixels mGuard;

private:
    uint32_t* mOwn = nullptr;
};

void Draw(GuardedSource& src, const Rect& sr, const Rect& dest, const Rect& clip, bool fast,
          const std::string& what)
{
    MemoryImage dst(nullptr);
    std::vector<uint32_t> black(48 * 48, 0xFF000000);
    dst.SetPixels(black.data(), 48, 48, true);
    dst.DrawImageStretched(&src.mImage, &dest, &sr, &clip, &gColorWhite, 0, fast);
    long offset = 0;
    const int faults = src.mGuard.TakeFaults(&offset);
    ASSERT_EQ(faults, 0) << what << ": first read outside the pixels at " << offset;
    ASSERT_EQ(dst.GetPixels()[48 * 48], MEMORY_IMAGE_GUARD) << what;
}

std::string Describe(int w, int h, const Rect& sr, const Rect& dest, const Rect& clip, bool fast)
{
    char text[200];
    sprintf(text, "%dx%d source (%d,%d %dx%d) to (%d,%d %dx%d) clip (%d,%d %dx%d)%s", w, h, sr.mX,
            sr.mY, sr.mWidth, sr.mHeight, dest.mX, dest.mY, dest.mWidth, dest.mHeight, clip.mX,
            clip.mY, clip.mWidth, clip.mHeight, fast ? " fast" : "");
    return text;
}

} // namespace

TEST(StretchSourceBounds, SubPixelSourceAtEitherEndOfThePixelsStaysInside)
{
    // One source pixel stretched to 10 x 10 and clipped to half: the float
    // source is half a pixel wide at the first and at the last pixel.
    for (const Rect sr : {Rect(0, 0, 1, 1), Rect(31, 31, 1, 1), Rect(31, 0, 1, 1)})
    {
        GuardedSource src(32, 32);
        ASSERT_TRUE(src.mGuard.FillsWholePages());
        for (const Rect clip : {Rect(0, 0, 5, 5), Rect(5, 5, 5, 5), Rect(3, 0, 1, 10)})
        {
            const Rect dest(0, 0, 10, 10);
            ASSERT_NO_FATAL_FAILURE(
                Draw(src, sr, dest, clip, false, Describe(32, 32, sr, dest, clip, false)));
        }
    }
}

TEST(StretchSourceBounds, RandomStretchesReadOnlyTheirSourceImage)
{
    // Shapes that fill whole pages, so both ends of the array meet a guard page.
    const int shapes[][2] = {{32, 32}, {1024, 1}, {1, 1024}, {64, 16}, {16, 64}, {128, 8}};
    std::mt19937 rng(8128);
    for (int round = 0; round < 600; round++)
    {
        const int w = shapes[round % 6][0], h = shapes[round % 6][1];
        // Source rectangles often reach an edge of the image.
        auto span = [&](int size, int& at, int& length)
        {
            length = 1 + (int)(rng() % (size < 40 ? size : 40));
            switch (rng() % 3)
            {
            case 0:
                at = 0;
                break;
            case 1:
                at = size - length;
                break;
            default:
                at = (int)(rng() % (size - length + 1));
            }
        };
        Rect sr;
        span(w, sr.mX, sr.mWidth);
        span(h, sr.mY, sr.mHeight);
        GuardedSource src(w, h);
        // Slight and strong enlargements and reductions, whole or clipped.
        auto size = [&](int source)
        {
            switch (rng() % 3)
            {
            case 0:
                return source + 1 + (int)(rng() % (source + 1));
            case 1:
                return 1 + (int)(rng() % 60);
            default:
                return source > 1 ? 1 + (int)(rng() % (source - 1)) : 1;
            }
        };
        const Rect dest((int)(rng() % 20) - 6, (int)(rng() % 20) - 6, size(sr.mWidth),
                        size(sr.mHeight));
        const Rect clip = rng() % 2 ? dest
                                    : Rect((int)(rng() % 30) - 4, (int)(rng() % 30) - 4,
                                           1 + (int)(rng() % 48), 1 + (int)(rng() % 48));
        const bool fast = round % 4 == 3;
        ASSERT_NO_FATAL_FAILURE(
            Draw(src, sr, dest, clip, fast, Describe(w, h, sr, dest, clip, fast)));
    }
}
