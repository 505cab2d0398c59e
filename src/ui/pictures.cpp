#include "ui/pictures.h"

#include "platform/appid.h"

#include <QApplication>
#include <QStyle>

#include <array>
#include <initializer_list>

namespace moravel {

namespace {

struct Named {
    const char* themeName;
    const char* bundledName;
};

// Bundled pictures come in a few sizes; QIcon picks the nearest for the size asked.
QIcon bundled(const char* name, std::initializer_list<int> sizes) {
    QIcon icon;
    for (const int size : sizes) {
        icon.addFile(
            QStringLiteral(":/moravel/images/%1-%2.png").arg(QLatin1String(name)).arg(size),
            QSize(size, size));
    }
    return icon;
}

QIcon themed(const char* themeName, const QIcon& fallback) {
    return QIcon::fromTheme(QLatin1String(themeName), fallback);
}

} // namespace

QIcon actionImage(int index) {
    static constexpr std::array<Named, actionimage::count> names{{
        {"user-desktop", "action-leave"},
        {"package-x-generic", "action-archive"},
        {"go-jump", "action-move"},
        {"user-trash", "action-recycle"},
        {"edit-delete", "action-delete"},
        {"dialog-question", "action-ask"},
        {"folder", "destination-folder"},
        {"folder-documents", "user-documents"},
        {"edit-select-all", "select-all"},
        {"edit-clear", "unselect-all"},
        {"document-open", "pick-folder"},
        {"list-add", "create-rule"},
    }};
    if (index < 0 || index >= actionimage::count) {
        return {};
    }
    const Named& named = names[static_cast<std::size_t>(index)];
    return themed(named.themeName, bundled(named.bundledName, {16, 32}));
}

QIcon picture(Picture which) {
    static constexpr std::array<Named, 7> names{{
        {"user-desktop", "tab-desktop"},
        {"system-search", "tab-search"},
        {"preferences-system", "tab-options"},
        {"view-list-details", "rules"},
        {"preferences-other", "settings"},
        {"help-browser", "help"},
        {"mail-send", "feedback"},
    }};
    const Named& named = names[static_cast<std::size_t>(which)];
    return themed(named.themeName, bundled(named.bundledName, {48}));
}

QIcon applicationIcon() {
    return QIcon::fromTheme(QString::fromUtf16(applicationId),
                            bundled("moravel", {16, 32, 64, 128}));
}

QIcon fileTypeIcon(const QString& iconName, bool isFolder) {
    const QIcon generic =
        QApplication::style()->standardIcon(isFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    return iconName.isEmpty() ? generic : QIcon::fromTheme(iconName, generic);
}

} // namespace moravel
