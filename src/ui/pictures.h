#pragma once

#include <QIcon>

namespace moravel {

// The twelve action images of the desktop contents list and its popup menu (`imlActions`); an
// action value is the index of its image.
namespace actionimage {
inline constexpr int Leave = 0;
inline constexpr int Archive = 1;
inline constexpr int MoveToFolder = 2;
inline constexpr int Recycle = 3;
inline constexpr int Delete = 4;
inline constexpr int Ask = 5;
inline constexpr int DestinationFolder = 6;
inline constexpr int UserDocuments = 7;
inline constexpr int SelectAll = 8;
inline constexpr int UnselectAll = 9;
inline constexpr int PickFolder = 10;
inline constexpr int CreateRule = 11;
inline constexpr int count = 12;
} // namespace actionimage

// The pictures of the tabs and of the four buttons of the options tab.
enum class Picture { CleaningTab, BrowseTab, OptionsTab, Rules, Settings, Help, Feedback };

// Each comes from the desktop's icon theme when it has one of the name, else from the pictures
// bundled with the program, so that a bare desktop still shows them all.
QIcon actionImage(int index);
QIcon picture(Picture which);
// The application's icon, for the windows and the tray.
QIcon applicationIcon();
// The icon of a file type by its freedesktop icon name, with the generic file or folder icon
// when the theme has none.
QIcon fileTypeIcon(const QString& iconName, bool isFolder);

} // namespace moravel
