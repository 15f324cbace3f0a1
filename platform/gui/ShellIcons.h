#pragma once
// Icons of files and addresses from the desktop's icon theme.
#include <string>

#include "platform/gui/Graphics.h"

// Puts the icon of a file or an address into Icon, Size pixels square: an address with "://" gets
// a web page's icon, "mailto:" a mail's, a folder the folder's, a file its type's (by content
// when it is a regular file, else by its name). Without a theme icon the style's generic file,
// folder or network icon serves. False (Icon untouched) for an empty name or size.
bool LoadShellIcon(TIcon* Icon, const std::string& FileOrLink, int Size);

// The desktop's stock icon at Index of the system's icon list, Size pixels square. The list
// is ordered as the stock icons of the desktop the design comes from: 0 unknown file, 1 document,
// 2 program, 3 folder, 4 open folder, 5 and 6 floppy disks, 7 removable drive, 8 hard disk,
// 9 network drive, 10 network drive offline, 11 optical drive, 12 memory disk, 13 the whole
// network, 14 server, 15 the computer, 16 printer, 17 and 18 network neighbourhood and group,
// 19 programs, 20 documents, 21 settings, 22 search, 23 help, 24 run, 25 sleep, 26 docking,
// 27 shut down. False (Icon untouched) for an index outside the list or an empty size.
bool LoadSystemListIcon(TIcon* Icon, int Index, int Size);
// Image Index of an icon file (the sizes of one icon are images too), scaled to Size pixels
// square. False (Icon untouched) when the file is no readable icon or holds no such image.
bool LoadIconFileImage(TIcon* Icon, const std::string& FileName, int Index, int Size);
