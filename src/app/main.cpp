#include "platform/locations.h"
#include "platform/singleinstance.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // With no organisation name the data folder is $XDG_DATA_HOME/Moravel.
    QApplication::setApplicationName(QStringLiteral("Moravel"));

    // One Moravel per user: a second start ends at once, and the lock is held for the life of
    // the process so that moravel-cli clean and restore wait their turn.
    const moravel::XdgLocations locations;
    moravel::SingleInstance instance(locations);
    if (!instance.checkSingleInstance()) {
        return 0;
    }

    // The main window is not built yet; until it is, the command line does the work.
    QTextStream(stderr) << QStringLiteral(
        "Moravel's window is not available yet. Use moravel-cli: moravel-cli --help\n");
    return 0;
}
