#include "engine/clock.h"
#include "platform/appid.h"
#include "platform/instancechannel.h"
#include "platform/locations.h"
#include "platform/singleinstance.h"
#include "platform/updateservice.h"
#include "ui/desktopurlopener.h"
#include "ui/helppages.h"
#include "ui/pictures.h"
#include "ui/systemtrayicon.h"
#include "ui/terminationsignals.h"
#include "ui/tfrmmain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // With no organisation name the data folder is $XDG_DATA_HOME/Moravel.
    QApplication::setApplicationName(QStringLiteral("Moravel"));
    QGuiApplication::setDesktopFileName(QString::fromUtf16(moravel::applicationId));
    // The window lives on in the tray when it is closed; only "Exit" ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(moravel::applicationIcon());

    // One Moravel per set of data files: a second start ends at once and silently, and the lock
    // is held for the life of the process so that moravel-cli clean and restore wait their turn.
    // Started again from the menu, it first asks the running copy to show its window; the
    // start at login ("MIN") asks nothing.
    const moravel::XdgLocations locations;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool minimised = !arguments.isEmpty() && arguments.first() == QLatin1String("MIN");
    moravel::SingleInstance instance(locations);
    moravel::InstanceChannel channel(locations.dataFolder());
    if (!instance.checkSingleInstance()) {
        if (!minimised) {
            channel.askToShow();
        }
        return 0;
    }

    const moravel::SystemClock clock;
    moravel::SystemTrayIcon tray;
    moravel::DesktopUrlOpener urlOpener;
    const moravel::UpdateService updateService;
    moravel::TfrmMain window({.locations = locations,
                              .clock = clock,
                              .tray = tray,
                              .urlOpener = urlOpener,
                              .updateService = updateService,
                              .feedbackHost = moravel::configuredFeedbackHost(),
                              .helpFolders = moravel::helpFolders(),
                              .prompts = nullptr,
                              .endEventLoop = {}});
    // A logout or `kill` ends the program as "Exit" does, with a run stopped between two items.
    moravel::TerminationSignals signals;
    QObject::connect(&signals, &moravel::TerminationSignals::received, &window,
                     &moravel::TfrmMain::requestEnd);

    if (!window.FormCreate(arguments)) {
        return 1;
    }
    QObject::connect(&channel, &moravel::InstanceChannel::showRequested, &window,
                     &moravel::TfrmMain::mnuShowClick);
    channel.listen();
    // A signal that arrived while the start-up let events through has ended it already.
    if (window.isClosing()) {
        return 0;
    }
    window.showAtStart();
    return QApplication::exec();
}
