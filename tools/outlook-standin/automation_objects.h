#pragma once
// The class object COM asks for "Outlook.Application". Everything reachable
// from it (Application → Inspectors → Inspector → ContactItem) is built on
// demand by the automation objects themselves.

#include "server_state.h"

#include "platform/win32/com_object.h"

#include <unknwn.h>

namespace quorvane::standin {

// {894DE9C6-3322-40EC-8D3E-4C7972F8CE3F}: the stand-in's own class, never
// Outlook's, so it cannot be mistaken for a real installation.
inline constexpr CLSID StandInClsid = {
    0x894de9c6, 0x3322, 0x40ec, {0x8d, 0x3e, 0x4c, 0x79, 0x72, 0xf8, 0xce, 0x3f}};
inline constexpr wchar_t StandInClsidText[] = L"{894DE9C6-3322-40EC-8D3E-4C7972F8CE3F}";

// Registered with COM for the server's message loop. COM's references to it
// do not keep the process alive (LockServer does); the server holds it until
// its apartment has closed, since remote clients may hold it until then.
class ApplicationFactory final : public win32::ComObject<IClassFactory> {
public:
    explicit ApplicationFactory(ServerState& state) : state_(state) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ServerState& state_;
};

} // namespace quorvane::standin
