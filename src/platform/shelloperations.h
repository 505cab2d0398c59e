#pragma once

#include <QByteArray>
#include <QString>

namespace moravel {

class Prompts;

// Where a moved item ended up.
struct Arrival {
    QByteArray name;           // its name in the destination folder
    bool alreadyThere = false; // it was in that folder already, and nothing was done
};

// The file operations through which every item of the user is moved, copied, deleted or
// trashed, one item per call. Paths are the file system's bytes, never text decoded and encoded
// again. A name taken at the destination gives the arriving item a new name ("name (2).ext",
// "(3)", ...), shortened where the file system's name length demands; nothing is ever
// overwritten and links are never followed. A failure is shown to the user through `prompts`
// (one message naming the item and the system's reason) and the operation returns false.
class ShellOperations {
public:
    explicit ShellOperations(Prompts& prompts) : m_prompts(prompts) {}

    // Moves the item into `destinationFolder`.
    bool shellMove(const QByteArray& source, const QByteArray& destinationFolder,
                   Arrival* arrival = nullptr);
    // Copies the item into the folder `destination`; when `destination` is the full path of a
    // file that does not exist, the single file is copied under that name.
    bool shellCopy(const QByteArray& source, const QByteArray& destination,
                   QByteArray* arrivedName = nullptr);
    // Moves the item to the trash (recycle) or removes it for good.
    bool shellDelete(const QByteArray& path, bool recycle);

private:
    Prompts& m_prompts;
};

} // namespace moravel
