// The About box: the program's icon and its product version as V1.2.3.4.
#pragma once

#include "ui/dialog_base.h"

namespace tavelin {

class CAboutDlg : public DialogBase {
public:
    explicit CAboutDlg(HINSTANCE instance);

protected:
    BOOL OnInitDialog() override;
};

}  // namespace tavelin
