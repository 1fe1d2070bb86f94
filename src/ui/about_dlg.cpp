#include "ui/about_dlg.h"

#include "ui/dialog_texts_text.h"
#include "ui/module_version.h"
#include "ui/resource.h"

namespace tavelin {

CAboutDlg::CAboutDlg(HINSTANCE instance) : DialogBase(instance, IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    const ModuleVersion version(nullptr);
    SetDlgItemTextW(Window(), IDC_ABOUT_VERSION, AboutVersionText(version.m_strProductVersion).c_str());
    return TRUE;
}

}  // namespace tavelin
