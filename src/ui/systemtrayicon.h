#pragma once

#include "ui/trayicon.h"

#include <QSystemTrayIcon>

namespace moravel {

// The notification-area icon of the desktop session, through QSystemTrayIcon: the XEmbed tray
// on X11 panels, StatusNotifierItem where the desktop offers it over D-Bus.
class SystemTrayIcon final : public TrayIcon {
public:
    SystemTrayIcon();

    bool isAvailable() const override;
    void add(const QIcon& icon, const QString& tip) override;
    void setTip(const QString& tip) override;
    void setMenu(QMenu* menu) override;
    void showBalloon(const QString& title, const QString& text, int timeoutMs) override;
    void remove() override;

private:
    QSystemTrayIcon m_icon;
};

} // namespace moravel
