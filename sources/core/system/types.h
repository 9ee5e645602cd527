#pragma once
// The engine's fixed-width scalar types. Stored data are 32-bit memory images, so every
// stored field is declared with one of these.
#include <cstddef>
#include <cstdint>

typedef std::int8_t i8;
typedef std::uint8_t u8;
typedef std::int16_t i16;
typedef std::uint16_t u16;
typedef std::int32_t i32;
typedef std::uint32_t u32;
typedef std::int64_t i64;
typedef std::uint64_t u64;
typedef float f32;
typedef double f64;

static_assert(sizeof(void*) == 4, "the engine is built for 32-bit x86");
