#pragma once

#include "platform/FileIo.h"

#include <string>

namespace trv::bench {

// The bundled sample spectra (tools/make-samples.py writes them).
inline constexpr const char* kSample1024 = TRV_SAMPLES_DIR "/ha1001-fe-foil.spm";
inline constexpr const char* kSample512 = TRV_SAMPLES_DIR "/ha1002-doublet.spm";
inline constexpr const char* kSamplePca3 = TRV_SAMPLES_DIR "/hb2001-steel-pca3.spm";

inline const std::string& SampleBytes(const char* path)
{
    // Read once per program; each benchmark only looks at the bytes.
    static thread_local std::string cachedPath;
    static thread_local std::string cachedBytes;
    if (cachedPath != path) {
        cachedBytes = ReadWholeFile(path);
        cachedPath = path;
    }
    return cachedBytes;
}

} // namespace trv::bench
