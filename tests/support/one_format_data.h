#pragma once
// A data object offering one clipboard format in global memory, for what the
// shell does not make: text dragged from an editor, or a file list built by
// hand to see what the drop target makes of it.

#include <windows.h>

#include <objidl.h>
#include <wrl/client.h>

#include <cstddef>

namespace quorvane::test {

// Holds its own copy of `bytes`; every GetData hands out a fresh copy.
Microsoft::WRL::ComPtr<IDataObject> oneFormatData(CLIPFORMAT format, const void* bytes,
                                                  std::size_t size);

} // namespace quorvane::test
