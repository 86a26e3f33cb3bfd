#include "ui/ErrorGuard.h"

#include "platform/Platform.h"
#include "ui/TextConvert.h"

#include <exception>
#include <new>

namespace trv {

bool RunGuarded(Platform& platform, const std::function<void()>& body)
{
    try {
        body();
        return true;
    }
    catch (const std::bad_alloc&) {
        platform.ErrorBox("Out of memory");
    }
    catch (const std::exception& e) { // AppError among them: its text is the message
        platform.ErrorBox(ErrorText(e.what()));
    }
    return false;
}

} // namespace trv
