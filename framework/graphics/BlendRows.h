#pragma once
// Row loops of the memory image's hottest paths. Each has a plain scalar form
// (BlendRowsScalar) built from the per-pixel rules of BlendPixel.h and a fast
// form that must give the same bits; the tests compare the two on random rows.

#include <cstdint>

namespace Lumo
{

// Copies n pixels (not overlapping); faster than a runtime memcpy call per row.
void CopyPixels(uint32_t* d, const uint32_t* s, int n);
// Every pixel := value.
void FillRow(uint32_t* d, int n, uint32_t value);
// Coverage blend of rgb with alpha a (0..255) over n pixels.
void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a);
// Normal white blit onto an opaque destination, walking the source's run
// bytes: opaque runs copied, transparent runs skipped, the rest blended.
void BlitRunsOpaqueDest(uint32_t* d, const uint32_t* s, const unsigned char* runs, int n);
// Normal white blit, per pixel.
void BlendWhiteRow(uint32_t* d, const uint32_t* s, int n);
// Additive white blit; translucent scales each source pixel by its alpha.
void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent);
// Point-sampled stretch rule over gathered samples.
void BlendSampledRow(uint32_t* d, const uint32_t* s, int n);
// Filtered stretch rule of resampled pixels over the destination.
void BlendFilteredRow(uint32_t* d, const uint32_t* c, int n);
// Magnifying first pass of the filtered stretch over one source row: column j
// gets, per channel, s[left[j]] x weights[8j + ch] + s[left[j] + 1] x
// weights[8j + 4 + ch] in 16-bit arithmetic (four 16-bit channels a column).
void MagnifyColumns(uint16_t* out, const uint32_t* s, const int* left, const int16_t* weights,
                    int n);
// Magnifying second pass onto n pixels: per channel min((a f + b (256 - f)) >> 16,
// 255) of two first-pass rows, then the filtered stretch rule.
void BlendMagnifiedRows(uint32_t* d, const uint16_t* a, const uint16_t* b, int f, int n);

// True when the processor and the system run the 256-bit (AVX2) forms of
// the additive and coverage rows; the SSE2 forms serve otherwise.
bool RowsUseAvx2();
// True when they run the 512-bit (AVX-512 F and BW) additive row, which then
// serves before the AVX2 one.
bool RowsUseAvx512();

// The AVX2 forms by name, for comparison; call only when RowsUseAvx2().
namespace BlendRowsAvx2
{
void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a);
void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent);
} // namespace BlendRowsAvx2

// The SSE2 forms by name, for comparison.
namespace BlendRowsSse2
{
void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a);
void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent);
} // namespace BlendRowsSse2

namespace BlendRowsScalar
{
void FillRow(uint32_t* d, int n, uint32_t value);
void BlendCoverageRow(uint32_t* d, int n, uint32_t rgb, uint32_t a);
void BlitRunsOpaqueDest(uint32_t* d, const uint32_t* s, const unsigned char* runs, int n);
void BlendWhiteRow(uint32_t* d, const uint32_t* s, int n);
void AddRow(uint32_t* d, const uint32_t* s, int n, bool translucent);
void BlendSampledRow(uint32_t* d, const uint32_t* s, int n);
void BlendFilteredRow(uint32_t* d, const uint32_t* c, int n);
void MagnifyColumns(uint16_t* out, const uint32_t* s, const int* left, const int16_t* weights,
                    int n);
void BlendMagnifiedRows(uint32_t* d, const uint16_t* a, const uint16_t* b, int f, int n);
} // namespace BlendRowsScalar

} // namespace Lumo
