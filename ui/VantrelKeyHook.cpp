#include "ui/VantrelKeyHook.h"

#include "hook/Vantrel.h"

namespace orvane::ui {

bool VantrelKeyHook::install(int mode)
{
    return ::installhook(window_, mode);
}

void VantrelKeyHook::remove()
{
    ::removehook();
}

}   // namespace orvane::ui
