// The one IUnknown that every COM object of the program, the stand-in and the
// tests is built on: an object lives exactly as long as its references, and
// all of its interfaces answer for one identity.

#include "platform/win32/com_object.h"

#include <gtest/gtest.h>

#include <objidl.h>
#include <oleidl.h>

namespace quorvane::win32 {
namespace {

using Microsoft::WRL::ComPtr;

class Probe final : public ComObject<IDropSource, IMessageFilter> {
public:
    explicit Probe(bool& gone) : gone_(gone) {}
    ~Probe() override { gone_ = true; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return S_OK; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        return static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }

private:
    bool& gone_;
};

TEST(ComObject, LivesExactlyAsLongAsItsReferences) {
    bool gone = false;
    ComPtr<Probe> probe = makeComObject<Probe>(gone);
    ComPtr<IMessageFilter> filter;
    ASSERT_EQ(probe.As(&filter), S_OK);
    probe.Reset();
    EXPECT_FALSE(gone) << "died while a reference was held";
    filter.Reset();
    EXPECT_TRUE(gone) << "outlived its last reference";
}

TEST(ComObject, AllItsInterfacesAnswerForOneIdentity) {
    bool gone = false;
    const ComPtr<Probe> probe = makeComObject<Probe>(gone);
    ComPtr<IDropSource> source;
    ComPtr<IMessageFilter> filter;
    ASSERT_EQ(probe.As(&source), S_OK);
    ASSERT_EQ(probe.As(&filter), S_OK);
    ComPtr<IUnknown> throughSource;
    ComPtr<IUnknown> throughFilter;
    ASSERT_EQ(source.As(&throughSource), S_OK);
    ASSERT_EQ(filter.As(&throughFilter), S_OK);
    EXPECT_EQ(throughSource.Get(), throughFilter.Get());

    ComPtr<IDataObject> data;
    EXPECT_EQ(probe.As(&data), E_NOINTERFACE);
    EXPECT_EQ(data.Get(), nullptr);
}

} // namespace
} // namespace quorvane::win32
