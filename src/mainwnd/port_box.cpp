#include "mainwnd/port_box.h"

#include "platform/dpi.h"
#include "platform/serial_devices.h"
#include "platform/text.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace {

// The box's font selected into a device context while it lives.
class FontInDc {
public:
    FontInDc(HDC dc, HWND control)
        : m_dc(dc), m_old(SelectObject(
                        dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)))) {}
    ~FontInDc() { SelectObject(m_dc, m_old); }
    FontInDc(const FontInDc&) = delete;
    FontInDc& operator=(const FontInDc&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
}

// The margin before a port's text and after a name: half a character.
int Margin(HDC dc) {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    return std::max(1, static_cast<int>(metrics.tmAveCharWidth) / 2);
}

// A plain drop-down list's items are as high as its font's characters, and
// its closed part is 8 pixels higher than that; a selection field's height
// set by CB_SETITEMHEIGHT is drawn with 6 pixels around it. So Windows and
// Wine do at 96 DPI, while the field height a plain box reports differs
// between them.
const int kPlainClosedPadding = 8;
const int kSetFieldPadding = 6;

// A drop-down box's window is its closed part.
int ClosedHeight(HWND combo) {
    RECT rect = {};
    GetWindowRect(combo, &rect);
    return static_cast<int>(rect.bottom - rect.top);
}

} // namespace

void CPortBox::Attach(HWND combo) {
    m_combo = combo;
    MatchPlainItemHeights();
}

// A box that draws its items is asked for their height before the window
// has set its font, and the window cannot answer before it is initialised:
// its heights are set afterwards to those of a plain box of the same font,
// so the window's layout stays as it was. Worked out from the font here, as
// making a plain box to measure would hold up the window.
void CPortBox::MatchPlainItemHeights() {
    const HDC dc = GetDC(m_combo);
    TEXTMETRICW metrics = {};
    {
        const FontInDc font(dc, m_combo);
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(m_combo, dc);
    const int charHeight = static_cast<int>(metrics.tmHeight);
    SendMessageW(m_combo, CB_SETITEMHEIGHT, 0, charHeight);
    SendMessageW(m_combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                 charHeight + kPlainClosedPadding - kSetFieldPadding);
}

// The paddings are nowhere documented, and a DPI may scale them: once the
// window shows, the box is compared with a plain one, and should they differ
// its heights are taken from the plain box.
void CPortBox::CheckAgainstPlainBox() {
    const HWND plain =
        CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0, 50,
                        100, GetParent(m_combo), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (plain == nullptr) {
        return;
    }
    SendMessageW(plain, WM_SETFONT, static_cast<WPARAM>(SendMessageW(m_combo, WM_GETFONT, 0, 0)),
                 FALSE);
    const LRESULT itemHeight = SendMessageW(plain, CB_GETITEMHEIGHT, 0, 0);
    if (SendMessageW(m_combo, CB_GETITEMHEIGHT, 0, 0) != itemHeight ||
        ClosedHeight(m_combo) != ClosedHeight(plain)) {
        SendMessageW(m_combo, CB_SETITEMHEIGHT, 0, itemHeight);
        const WPARAM field = static_cast<WPARAM>(-1);
        const LRESULT fieldHeight = SendMessageW(plain, CB_GETITEMHEIGHT, field, 0);
        SendMessageW(m_combo, CB_SETITEMHEIGHT, field, fieldHeight);
        // The field's height set is counted with a padding that the one
        // reported lacks (Wine adds 2 pixels): the box is made as high as
        // the plain one.
        const int excess = ClosedHeight(m_combo) - ClosedHeight(plain);
        if (excess != 0) {
            SendMessageW(m_combo, CB_SETITEMHEIGHT, field, fieldHeight - excess);
        }
    }
    DestroyWindow(plain);
}

void CPortBox::CreateToolTip() {
    const HWND window = GetParent(m_combo);
    m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (m_toolTip == nullptr) {
        return;
    }
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_combo);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // The description's lines break where it breaks them, nowhere else.
    SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, SHRT_MAX);
}

void CPortBox::LookUpDevices() {
    if (!m_bShown) { // the first look-up, once the window shows
        m_bShown = true;
        CheckAgainstPlainBox();
        CreateToolTip();
    }
    m_devices = fields::PortDevicesOf(platform::ListSerialDevices());
    Update();
}

void CPortBox::Update() {
    if (!m_bShown) {
        return; // the names and the tooltip come with the first look-up
    }
    FitDropDownWidth();
    UpdateToolTipText();
}

void CPortBox::FitToDpi() {
    MatchPlainItemHeights();
    CheckAgainstPlainBox();
    Update();
}

std::wstring CPortBox::ItemText(int index) const {
    const LRESULT length = SendMessageW(m_combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(m_combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

const fields::PortDevice* CPortBox::DeviceOfItem(int index) const {
    const LRESULT port = SendMessageW(m_combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return port == CB_ERR ? nullptr : fields::FindPortDevice(m_devices, static_cast<int>(port));
}

// The names stand in a column of their own after the widest port; the list
// is as wide as the longest name needs, the box's width at least.
void CPortBox::FitDropDownWidth() {
    const HDC dc = GetDC(m_combo);
    int portWidth = 0;
    int nameWidth = 0;
    {
        const FontInDc font(dc, m_combo);
        const int count = static_cast<int>(SendMessageW(m_combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            portWidth = std::max(portWidth, TextWidth(dc, ItemText(i)));
            if (const fields::PortDevice* device = DeviceOfItem(i)) {
                nameWidth = std::max(nameWidth, TextWidth(dc, platform::Widen(device->name)));
            }
        }
        const int margin = Margin(dc);
        m_nameColumn = margin + portWidth + 4 * margin;
        nameWidth = nameWidth == 0 ? 0 : nameWidth + margin;
    }
    ReleaseDC(m_combo, dc);
    const int frame = 2 * platform::MetricForWindow(m_combo, SM_CXEDGE) +
                      platform::MetricForWindow(m_combo, SM_CXVSCROLL);
    SendMessageW(m_combo, CB_SETDROPPEDWIDTH,
                 static_cast<WPARAM>(nameWidth == 0 ? 0 : m_nameColumn + nameWidth + frame), 0);
}

void CPortBox::UpdateToolTipText() {
    if (m_toolTip == nullptr) {
        return;
    }
    const int selected = static_cast<int>(SendMessageW(m_combo, CB_GETCURSEL, 0, 0));
    std::string text;
    if (const fields::PortDevice* device = selected == CB_ERR ? nullptr : DeviceOfItem(selected)) {
        for (const std::string& field :
             fields::DescriptionFields(*device, platform::ResourceText)) {
            text += (text.empty() ? "" : "\r\n") + field;
        }
    }
    const std::wstring wide = platform::Widen(text);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(m_combo);
    tool.uId = reinterpret_cast<UINT_PTR>(m_combo);
    tool.lpszText = const_cast<wchar_t*>(wide.c_str());
    SendMessageW(m_toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The port's text as a plain box would draw it; in the drop-down the
// device's name after it, in its own column.
void CPortBox::Draw(const DRAWITEMSTRUCT& item) const {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1)) {
        const FontInDc font(item.hDC, m_combo);
        const int mode = SetBkMode(item.hDC, TRANSPARENT);
        const bool disabled = (item.itemState & ODS_DISABLED) != 0;
        const COLORREF color = SetTextColor(item.hDC, GetSysColor(disabled   ? COLOR_GRAYTEXT
                                                                  : selected ? COLOR_HIGHLIGHTTEXT
                                                                             : COLOR_WINDOWTEXT));
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        RECT text = item.rcItem;
        text.left += Margin(item.hDC);
        const std::wstring port = ItemText(static_cast<int>(item.itemID));
        DrawTextW(item.hDC, port.c_str(), static_cast<int>(port.size()), &text, format);
        const fields::PortDevice* device = DeviceOfItem(static_cast<int>(item.itemID));
        if ((item.itemState & ODS_COMBOBOXEDIT) == 0 && device != nullptr) {
            const std::wstring name = platform::Widen(device->name);
            text.left = item.rcItem.left + m_nameColumn;
            DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
                      format | DT_END_ELLIPSIS);
        }
        SetTextColor(item.hDC, color);
        SetBkMode(item.hDC, mode);
    }
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}
