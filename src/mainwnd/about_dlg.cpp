#include "mainwnd/about_dlg.h"

#include "platform/app_message.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : platform::Dialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    SetCaption(platform::ApplicationName());
    return platform::Dialog::OnInitDialog();
}
