#pragma once
// CSharedPicture: a view of the console's named picture mapping, open for the object's life (one
// CDC_REVIEW_SHOW). Reads are bounded by the view's size as the system reports it, never by what the
// console claims.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/handle.h"

// The name under which the console shares the review picture.
inline constexpr wchar_t kReviewMappingName[] = L"Sidecar";

class CSharedPicture {
  public:
    // Opens the mapping with read and write access (handle not inherited) and maps all of it. A missing
    // mapping, or one without write access for us, leaves the object empty.
    explicit CSharedPicture(const wchar_t* name = kReviewMappingName);

    // The start of the mapping when the view holds at least `bytes` bytes; null otherwise.
    const BYTE* Bytes(std::uint64_t bytes) const;
    // Bytes readable from the start of the view (whole pages); 0 when nothing is mapped.
    std::size_t ViewSize() const { return m_nViewSize; }

  private:
    CFileMapping m_mapping;
    CMappedView m_view;
    std::size_t m_nViewSize = 0;
};
