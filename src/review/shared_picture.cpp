#include "review/shared_picture.h"

CSharedPicture::CSharedPicture(const wchar_t* name) {
    m_mapping = CFileMapping(::OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name));
    if (!m_mapping)
        return;
    m_view = CMappedView(::MapViewOfFile(m_mapping.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!m_view)
        return;
    // The mapping's own size is not available to an opener; the view's region is, rounded up to pages,
    // and every byte of it can be read.
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(m_view.Get(), &info, sizeof(info)) == sizeof(info) && info.State == MEM_COMMIT) {
        m_nViewSize = info.RegionSize;
    }
}

const BYTE* CSharedPicture::Bytes(std::uint64_t bytes) const {
    if (!m_view || bytes > m_nViewSize)
        return nullptr;
    return static_cast<const BYTE*>(m_view.Get());
}
