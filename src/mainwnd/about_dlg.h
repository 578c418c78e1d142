#pragma once

#include "platform/dialog.h"

// The About box, reached from the main window's system menu.
class CAboutDlg : public platform::Dialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
};
