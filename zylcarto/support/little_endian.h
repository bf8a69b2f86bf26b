#pragma once
// Integers and floating-point numbers as little-endian bytes, one byte at a time,
// so that a file reads and writes the same on every platform whatever its byte
// order or alignment. Internal to the library.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace zylcarto {

// Stores the low sizeof(T) bytes of V at P, least significant first.
template <typename T>
void PutLittleEndian(std::uint8_t* P, T V) {
    static_assert(std::is_integral_v<T> || std::is_floating_point_v<T>);
    using U = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                                 std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
    const auto u = std::bit_cast<U>(V);
    for (std::size_t i = 0; i < sizeof(T); ++i) P[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

// The value PutLittleEndian stored at P.
template <typename T>
T GetLittleEndian(const std::uint8_t* P) {
    static_assert(std::is_integral_v<T> || std::is_floating_point_v<T>);
    using U = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                                 std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) u |= static_cast<U>(static_cast<U>(P[i]) << (8 * i));
    return std::bit_cast<T>(u);
}

}  // namespace zylcarto
