#pragma once

// SPM file images for tests that write spectra: a PCA2 header of 512 bytes or a PCA3 header of
// 450 bytes, both stamps in place, then the counts.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv::test {

inline std::string CountBytes(const std::vector<std::uint32_t>& counts)
{
    std::string bytes;
    for (const std::uint32_t c : counts) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((c >> shift) & 0xFF);
    }
    return bytes;
}

// PCA2 stamps are an 11-byte time and a 12-byte date each.
inline std::string Pca2Image(const std::vector<std::uint32_t>& counts,
                             std::string_view firstTime = "12:00:00   ",
                             std::string_view secondTime = "17:00:00   ",
                             std::string_view date = "Jan  5  2001")
{
    std::string header(512, '\0');
    header.replace(0, 17, "MCA spectrum data");
    header.replace(362, firstTime.size(), firstTime);
    header.replace(375, date.size(), date);
    header.replace(388, secondTime.size(), secondTime);
    header.replace(401, date.size(), date);
    return header + CountBytes(counts);
}

inline std::string Pca3Image(const std::vector<std::uint32_t>& counts)
{
    std::string header(450, '\0');
    header.replace(24, 8, "pca3.exe");
    header.replace(386, 11, "17-Mar-2003");
    header.replace(399, 11, "18-Mar-2003");
    return header + CountBytes(counts);
}

// Counts that differ from seed to seed and from channel to channel.
inline std::vector<std::uint32_t> SomeCounts(std::size_t channels, std::uint32_t seed)
{
    std::vector<std::uint32_t> counts(channels);
    for (std::size_t i = 0; i < channels; ++i)
        counts[i] = 50000 + (seed * 7919u + static_cast<std::uint32_t>(i) * 31u) % 1000u;
    return counts;
}

} // namespace trv::test
