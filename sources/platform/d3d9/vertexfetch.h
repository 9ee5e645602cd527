#pragma once
// Vertex fetch: one element of a vertex, of any declaration type, as four floats; components
// a type lacks read as (0, 0, 0, 1).
#include "platform/d3d9/drawcall.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <vector>

void FetchVertexElement(BYTE type, const std::uint8_t* data, float out[4]);

// A D3DCOLOR element (B, G, R, A bytes) as (r, g, b, a) in [0, 1]: the four divisions at
// once, each rounded as alone.
inline void FetchColour(const std::uint8_t* data, float out[4])
{
    std::int32_t word;
    std::memcpy(&word, data, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgra = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
    const __m128i rgba = _mm_shuffle_epi32(bgra, _MM_SHUFFLE(3, 0, 1, 2));
    _mm_storeu_ps(out, _mm_div_ps(_mm_cvtepi32_ps(rgba), _mm_set1_ps(255.0f)));
}

// The elements of a draw's vertices as registers of four floats, one per declaration element.
// Each element's source is looked up once per draw, and runs of consecutive vertices are
// fetched an element at a time: the choice of conversion is made once per run, not once per
// vertex and element.
class TVertexFetch
{
public:
    // Registers a run of vertices may fill.
    static constexpr int kRunRegisters = 256;

    TVertexFetch(const std::vector<D3DVERTEXELEMENT9>& elements, const TStreamSource* streams);

    // Registers per vertex.
    int Elements() const { return elements_; }
    // The longest run one Fetch takes.
    int RunVertices() const { return kRunRegisters / std::max(elements_, 1); }
    // Vertices 0 .. Available() - 1 lie whole in every stream.
    std::int64_t Available() const { return available_; }
    // Fetches vertices first .. first + count - 1, all available and count at most
    // RunVertices(), into registers[(vertex - first) * Elements() + element]. The run that
    // follows is asked of the cache at once: callers fetch runs in order, and their work on
    // this one hides the wait for memory.
    void Fetch(UINT first, int count, float (*registers)[4]) const;

private:
    struct TSource
    {
        const std::uint8_t* bytes; // the element of vertex 0
        UINT stride;
        BYTE type;
    };

    // The streams the elements read, each once.
    struct TStreamRows
    {
        std::uintptr_t bytes; // vertex 0
        UINT stride;
    };

    TSource sources_[MAXD3DDECLLENGTH];
    int elements_ = 0;
    TStreamRows streams_[16];
    int streamCount_ = 0;
    std::int64_t available_ = 0;
};
