#pragma once

#include <QIcon>
#include <QString>

#include <functional>

class QMenu;

namespace moravel {

// The icon of the application in the desktop's notification area, as the main window uses it.
// The program hands in the desktop's own (QSystemTrayIcon); tests hand in a fake and press its
// buttons themselves.
class TrayIcon {
public:
    // How the user touched the icon. Only Trigger (a left click) and Context (the menu button)
    // mean anything to the window.
    enum class Activation { Trigger, Context, DoubleClick, MiddleClick, Other };

    virtual ~TrayIcon() = default;
    // Whether this desktop has a notification area now; it may come and go with the panel.
    virtual bool isAvailable() const = 0;
    // Puts the icon into the notification area with its tip.
    virtual void add(const QIcon& icon, const QString& tip) = 0;
    // Changes the tip shown when the pointer rests on the icon.
    virtual void setTip(const QString& tip) = 0;
    // The menu that the icon opens on its own for the menu button.
    virtual void setMenu(QMenu* menu) = 0;
    // Shows an information notice from the icon for `timeoutMs`, where the desktop can.
    virtual void showBalloon(const QString& title, const QString& text, int timeoutMs) = 0;
    // Takes the icon out of the notification area.
    virtual void remove() = 0;

    // Called for every touch of the icon; set by the window.
    std::function<void(Activation)> activated;
};

} // namespace moravel
