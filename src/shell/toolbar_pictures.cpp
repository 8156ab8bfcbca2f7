#include "shell/toolbar_pictures.h"

#include "app/command_table.h"
#include "platform/win32/wide_text.h"
#include "resource_ids.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>

namespace quorvane::win32 {

using Microsoft::WRL::ComPtr;

static_assert(QV_PICTURE_CLEAR_LIST_96 == QV_PICTURE_BASE + 10 * (1003 - 1000) + 2,
              "pictureResourceId must number the pictures as resource_ids.h does");

int pictureResourceId(int commandId, std::size_t step) {
    return QV_PICTURE_BASE + 10 * (commandId - 1000) + static_cast<int>(step);
}

namespace {

std::string describe(const char* what, int resourceId, HRESULT result) {
    return std::string(what) + " (picture " + std::to_string(resourceId) +
           "): " + systemMessage(static_cast<unsigned long>(result));
}

struct Decoded {
    ScopedBitmap bitmap;
    std::optional<PictureFailure> failure;
};

// Decodes one PNG resource into a top-down 32-bit DIB section. The alpha is
// left straight (not premultiplied): the image list premultiplies when it
// draws, so premultiplied input would darken every soft edge twice.
Decoded decodePicture(IWICImagingFactory& factory, HINSTANCE module, int resourceId, int size) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {{},
                PictureFailure{"The toolbar picture " + std::to_string(resourceId) +
                               " is missing from the program."}};
    const DWORD length = SizeofResource(module, found);

    ComPtr<IWICStream> stream;
    HRESULT result = factory.CreateStream(&stream);
    if (SUCCEEDED(result))
        result = stream->InitializeFromMemory(static_cast<BYTE*>(bytes), length);
    ComPtr<IWICBitmapDecoder> decoder;
    if (SUCCEEDED(result))
        result = factory.CreateDecoderFromStream(stream.Get(), nullptr,
                                                 WICDecodeMetadataCacheOnDemand, &decoder);
    ComPtr<IWICBitmapFrameDecode> frame;
    if (SUCCEEDED(result))
        result = decoder->GetFrame(0, &frame);
    ComPtr<IWICFormatConverter> converter;
    if (SUCCEEDED(result))
        result = factory.CreateFormatConverter(&converter);
    if (SUCCEEDED(result))
        result = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                       WICBitmapDitherTypeNone, nullptr, 0.0,
                                       WICBitmapPaletteTypeCustom);
    if (FAILED(result))
        return {
            {},
            PictureFailure{describe("A toolbar picture could not be decoded", resourceId, result)}};

    UINT width = 0;
    UINT height = 0;
    converter->GetSize(&width, &height);
    if (width != static_cast<UINT>(size) || height != static_cast<UINT>(size))
        return {{},
                PictureFailure{"The toolbar picture " + std::to_string(resourceId) + " is " +
                               std::to_string(width) + "x" + std::to_string(height) +
                               " pixels, not " + std::to_string(size) + "."}};

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size; // top-down, the order WIC copies rows in
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return {{}, PictureFailure{"No memory for the toolbar pictures."}};
    const UINT stride = width * 4;
    result = converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits));
    if (FAILED(result))
        return {
            {},
            PictureFailure{describe("A toolbar picture could not be copied", resourceId, result)}};
    return {std::move(bitmap), std::nullopt};
}

} // namespace

PictureList loadToolbarPictures(HINSTANCE module, unsigned dpi) {
    const std::size_t step = PictureSizeStep(dpi);
    const int size = PictureSizes[step];

    ComPtr<IWICImagingFactory> factory;
    const HRESULT created = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_PPV_ARGS(&factory));
    if (FAILED(created))
        return {{},
                PictureFailure{"The Windows Imaging Component is not available: " +
                               systemMessage(static_cast<unsigned long>(created))}};

    ScopedImageList images(
        ImageList_Create(size, size, ILC_COLOR32, static_cast<int>(PictureOrder.size()), 0));
    if (!images)
        return {{}, PictureFailure{"No memory for the toolbar pictures."}};
    for (CommandId id : PictureOrder) {
        const int resourceId = pictureResourceId(static_cast<int>(id), step);
        Decoded picture = decodePicture(*factory.Get(), module, resourceId, size);
        if (picture.failure)
            return {{}, picture.failure};
        // The list copies the bits; the DIB section goes when `picture` does.
        if (ImageList_Add(images.get(), picture.bitmap.get(), nullptr) < 0)
            return {{},
                    PictureFailure{"The toolbar picture " + std::to_string(resourceId) +
                                   " could not be added to the image list."}};
    }
    return {std::move(images), std::nullopt};
}

} // namespace quorvane::win32
