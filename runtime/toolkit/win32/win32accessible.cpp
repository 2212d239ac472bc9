#include "win32accessible.h"

#include <initguid.h>

#include <oleacc.h>

namespace quenlo {

WindowDescription::~WindowDescription()
{
    if (services_)
        services_->Release();
    if (com_)
        ::CoUninitialize();
}

void WindowDescription::annotate(HWND window)
{
    if (tried_ || text_.empty())
        return;
    tried_ = true;
    // The window's thread is a single-threaded apartment, as its dialogs want.
    com_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    if (!com_ || FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                           reinterpret_cast<void **>(&services_))))
        return;
    services_->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION, text_.c_str());
}

void WindowDescription::clear(HWND window)
{
    if (!services_)
        return;
    MSAAPROPID description = PROPID_ACC_DESCRIPTION;
    services_->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &description, 1);
}

} // namespace quenlo
