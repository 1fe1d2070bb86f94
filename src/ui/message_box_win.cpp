#include "ui/message_box_win.h"

#include "platform/application_message_box_win.h"
#include "platform/program_path_win.h"

namespace tavelin {

const std::wstring& ApplicationTitle() {
    static const std::wstring title = [] {
        std::wstring name = RunningProgramPath();
        const auto slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) name.erase(0, slash + 1);
        const auto dot = name.find_last_of(L'.');
        if (dot != std::wstring::npos && dot > 0) name.erase(dot);
        return name;
    }();
    return title;
}

int AppMessageBox(HWND owner, const std::wstring& text, UINT type) {
    return ShowApplicationMessageBox(owner, text, ApplicationTitle(), type);
}

}  // namespace tavelin
