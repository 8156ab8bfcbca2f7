// The one IUnknown that every COM object of the program, the stand-in and the
// tests is built on: an object lives exactly as long as its references, and
// all of its interfaces answer for one identity.

#include "platform/win32/com_object.h"

#include <gtest/gtest.h>

#include <oleidl.h>

namespace quorvane::win32 {
namespace {

using Microsoft::WRL::ComPtr;

class Probe final : public ComObject<IDropSource, IOleWindow> {
public:
    explicit Probe(bool& gone) : gone_(gone) {}
    ~Probe() override { gone_ = true; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    bool& gone_;
};

TEST(ComObject, LivesExactlyAsLongAsItsReferences) {
    bool gone = false;
    ComPtr<Probe> probe = makeComObject<Probe>(gone);
    ComPtr<IOleWindow> window;
    ASSERT_EQ(probe.As(&window), S_OK);
    probe.Reset();
    EXPECT_FALSE(gone) << "died while a reference was held";
    window.Reset();
    EXPECT_TRUE(gone) << "outlived its last reference";
}

TEST(ComObject, AllItsInterfacesAnswerForOneIdentity) {
    bool gone = false;
    const ComPtr<Probe> probe = makeComObject<Probe>(gone);
    ComPtr<IDropSource> source;
    ComPtr<IOleWindow> window;
    ASSERT_EQ(probe.As(&source), S_OK);
    ASSERT_EQ(probe.As(&window), S_OK);
    ComPtr<IUnknown> throughSource;
    ComPtr<IUnknown> throughWindow;
    ASSERT_EQ(source.As(&throughSource), S_OK);
    ASSERT_EQ(window.As(&throughWindow), S_OK);
    EXPECT_EQ(throughSource.Get(), throughWindow.Get());

    ComPtr<IDataObject> data;
    EXPECT_EQ(probe.As(&data), E_NOINTERFACE);
    EXPECT_EQ(data.Get(), nullptr);
}

} // namespace
} // namespace quorvane::win32
