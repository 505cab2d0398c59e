#include "ui/systemtrayicon.h"

namespace moravel {

namespace {

TrayIcon::Activation activationOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayIcon::Activation::Trigger;
    case QSystemTrayIcon::Context:
        return TrayIcon::Activation::Context;
    case QSystemTrayIcon::DoubleClick:
        return TrayIcon::Activation::DoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return TrayIcon::Activation::MiddleClick;
    default:
        return TrayIcon::Activation::Other;
    }
}

} // namespace

SystemTrayIcon::SystemTrayIcon() {
    QObject::connect(&m_icon, &QSystemTrayIcon::activated, [this](auto reason) {
        if (activated) {
            activated(activationOf(reason));
        }
    });
}

bool SystemTrayIcon::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::add(const QIcon& icon, const QString& tip) {
    m_icon.setIcon(icon);
    m_icon.setToolTip(tip);
    m_icon.show();
}

void SystemTrayIcon::setTip(const QString& tip) {
    m_icon.setToolTip(tip);
}

void SystemTrayIcon::setMenu(QMenu* menu) {
    m_icon.setContextMenu(menu);
}

void SystemTrayIcon::showBalloon(const QString& title, const QString& text, int timeoutMs) {
    if (QSystemTrayIcon::supportsMessages()) {
        m_icon.showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
    }
}

void SystemTrayIcon::remove() {
    m_icon.hide();
}

} // namespace moravel
