#pragma once
// Icons of files and addresses from the desktop's icon theme.
#include <string>

#include "platform/gui/Graphics.h"

// Puts the icon of a file or an address into Icon, Size pixels square: an address with "://" gets
// a web page's icon, "mailto:" a mail's, a folder the folder's, a file its type's (by content
// when it is a regular file, else by its name). Without a theme icon the style's generic file,
// folder or network icon serves. False (Icon untouched) for an empty name or size.
bool LoadShellIcon(TIcon* Icon, const std::string& FileOrLink, int Size);
