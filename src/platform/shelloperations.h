#pragma once

#include <QString>

namespace moravel {

class Prompts;

// The file operations through which every item of the user is moved, copied, deleted or
// trashed, one item per call. A name taken at the destination gives the arriving item a new
// name ("name (2).ext", "(3)", ...); nothing is ever overwritten and links are never followed.
// A failure is shown to the user through `prompts` (one message naming the item and the
// system's reason) and the operation returns false.
class ShellOperations {
public:
    explicit ShellOperations(Prompts& prompts) : m_prompts(prompts) {}

    // Moves the item into `destinationFolder`. On success `arrivedName`, when given, receives
    // the name the item has there.
    bool shellMove(const QString& source, const QString& destinationFolder,
                   QString* arrivedName = nullptr);
    // Copies the item into the folder `destination`; when `destination` is the full path of a
    // file that does not exist, the single file is copied under that name.
    bool shellCopy(const QString& source, const QString& destination,
                   QString* arrivedName = nullptr);
    // Moves the item to the trash (recycle) or removes it for good.
    bool shellDelete(const QString& path, bool recycle);

private:
    Prompts& m_prompts;
};

// The name an arriving item gets in `folder` when `name` is taken there: "name (2).ext",
// "name (3).ext", ... The extension is the part after the last dot; a name that starts with its
// only dot has none, and a folder never has one. Returns `name` itself when it is free.
QString freeNameIn(const QString& folder, const QString& name, bool isFolder);

} // namespace moravel
