#pragma once
// The console's side of the shared picture: the named mapping the console fills before it asks the panel
// to show a picture.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "harness/unique_handle.h"

namespace sidecar::e2e {

// The name under which the console shares its picture.
inline constexpr wchar_t kPictureMappingName[] = L"Sidecar";

// A named mapping of any size, held until replaced or closed.
class CConsolePicture {
  public:
    using Painter = std::function<std::uint8_t(int x, int y)>;

    // Creates the mapping with `bytes` bytes and fills the first width x height of them with paint(x, y)
    // (nothing when paint is empty); false when the mapping cannot be made.
    bool Share(std::uint64_t bytes, int width, int height, const Painter& paint);
    // A mapping exactly width x height bytes.
    bool Share(int width, int height, const Painter& paint) {
        return Share(static_cast<std::uint64_t>(width) * height, width, height, paint);
    }
    void Close() { m_hMapping.Reset(); }

  private:
    CKernelHandle m_hMapping;
};

}  // namespace sidecar::e2e
