#include "harness/console_picture.h"

#include <cstddef>

namespace sidecar::e2e {

bool CConsolePicture::Share(std::uint64_t bytes, int width, int height, const Painter& paint) {
    Close();
    m_hMapping.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                        static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes),
                                        kPictureMappingName));
    if (!m_hMapping)
        return false;
    if (!paint)
        return true;
    auto* pView = static_cast<std::uint8_t*>(MapViewOfFile(m_hMapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
    if (pView == nullptr)
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pView[static_cast<std::size_t>(y) * width + x] = paint(x, y);
    }
    UnmapViewOfFile(pView);
    return true;
}

}  // namespace sidecar::e2e
