#pragma once
// CTrayIcon: the state of a notification-area icon as the framework's interface exports it, two
// flags: whether the icon is enabled, and whether it is hidden. Nothing here shows an icon.

namespace SkinUI {

class CTrayIcon {
public:
    explicit CTrayIcon(bool enabled = false, bool hidden = false) : m_bEnabled(enabled), m_bHidden(hidden) {}

    bool Enabled() const { return m_bEnabled; }
    bool IsVisible() const { return !m_bHidden; }

private:
    bool m_bEnabled;
    bool m_bHidden;  // the icon has been hidden
};

}  // namespace SkinUI
