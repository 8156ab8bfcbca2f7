#pragma once
// The toolbar's pictures: PNG resources decoded with WIC into an image list.

#include "platform/win32/scoped_handles.h"

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

namespace quorvane::win32 {

using ScopedImageList = Scoped<NullEmptyTraits<HIMAGELIST, ImageList_Destroy>>;

// The resource ID of the picture for `commandId` at size step `step` (0: 48,
// 1: 72, 2: 96 px), as res/resource_ids.h numbers them.
int pictureResourceId(int commandId, std::size_t step);

// Why the pictures could not be made: the resource or the system's reason.
struct PictureFailure {
    std::string description;
};

// The five pictures at the size that suits `dpi`, in the order of
// PictureOrder, read from `module`'s resources. COM must be initialised on
// the calling thread (WIC is a COM library).
struct PictureList {
    ScopedImageList images;
    std::optional<PictureFailure> failure;
};
PictureList loadToolbarPictures(HINSTANCE module, unsigned dpi);

} // namespace quorvane::win32
