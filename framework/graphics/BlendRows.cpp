#include "framework/graphics/BlendRows.h"

#include <cstring>

#include "framework/graphics/BlendPixel.h"
#include "framework/graphics/MemoryImage.h"

namespace Lumo
{

namespace BlendRowsScalar
{

void FillRow(uint32_t* d, int n, uint32_t value)
{
    for (int i = 0; i < n; i++)
        d[i] = value;
}

void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    for (int i = 0; i < n; i++)
        d[i] = BlendCoverage(d[i], rgb, a);
}

void BlitRunsOpaqueDest(uint32_t* d, const uint32_t* s, const unsigned char* runs, int n)
{
    int i = 0;
    while (i < n)
    {
        int len = runs[i];
        if (len > n - i)
            len = n - i;
        if (len < 1)
            len = 1;
        const uint32_t S = s[i] >> 24;
        if (S == 255)
            memcpy(d + i, s + i, (size_t)len * 4);
        else if (S != 0)
            for (int k = i; k < i + len; k++)
                d[k] = BlendOpaqueDest(d[k], s[k], s[k] >> 24);
        i += len;
    }
}

void BlendWhiteRow(uint32_t* d, const uint32_t* s, int n)
{
    for (int i = 0; i < n; i++)
        d[i] = BlendWhite(d[i], s[i]);
}

void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    const unsigned char* sat = GetSaturationTable();
    for (int i = 0; i < n; i++)
        d[i] = BlendAdditive(d[i], s[i], true, translucent, 0, 0, 0, sat);
}

}  // namespace BlendRowsScalar

void FillRow(uint32_t* d, int n, uint32_t value)
{
    BlendRowsScalar::FillRow(d, n, value);
}

void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a)
{
    BlendRowsScalar::BlendCoverageRow(d, n, rgb, a);
}

void BlitRunsOpaqueDest(uint32_t* d, const uint32_t* s, const unsigned char* runs, int n)
{
    BlendRowsScalar::BlitRunsOpaqueDest(d, s, runs, n);
}

void BlendWhiteRow(uint32_t* d, const uint32_t* s, int n)
{
    BlendRowsScalar::BlendWhiteRow(d, s, n);
}

void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent)
{
    BlendRowsScalar::AddRow(d, s, n, translucent);
}

}  // namespace Lumo
