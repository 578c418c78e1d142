#pragma once

#include "fields/port_device.h"

#include <windows.h>

#include <vector>

// Which adapter is which: the main window's port box shows each port's
// device name beside it in the drop-down, and the selected port's whole
// description in a tooltip. The box draws its items itself, so they keep
// their texts ("COM 3") and data (3) as they are.
class CPortBox {
public:
    CPortBox() = default;
    CPortBox(const CPortBox&) = delete;
    CPortBox& operator=(const CPortBox&) = delete;

    // At the window's start: items as high as a plain box's.
    void Attach(HWND combo);
    // Asks Windows for the devices now, then Update. The first time, once
    // the window shows, it checks the heights and makes the tooltip too.
    void LookUpDevices();
    // After the items or the selection changed: the drop-down as wide as
    // its names, the tooltip's text; from the first look-up on.
    void Update();
    // After the window's DPI changed: heights and widths at the new one.
    void FitToDpi();
    // WM_DRAWITEM of the box.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    void MatchPlainItemHeights();
    void CheckAgainstPlainBox();
    void CreateToolTip();
    void FitDropDownWidth();
    void UpdateToolTipText();
    std::wstring ItemText(int index) const;
    const fields::PortDevice* DeviceOfItem(int index) const;

    HWND m_combo = nullptr;
    HWND m_toolTip = nullptr; // owned by the window, which destroys it
    bool m_bShown = false;    // the window has shown: devices were looked up
    std::vector<fields::PortDevice> m_devices;
    int m_nameColumn = 0; // where the names start in the drop-down, in pixels
};
