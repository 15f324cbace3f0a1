// What the program, its engine and the updater keep in order between runs:
// private folders in the temporary directory and the updater's word to the
// next start of the program.
#pragma once

#include <string>

namespace NUpdate {

// A folder of our own below `base` named prefix + six random characters (mode
// 0700), locked for as long as this process (or a child it hands the lock to)
// lives; "" when it cannot be made. `lockFd` receives the lock's descriptor.
std::string MakePrivateFolder(const std::string& base, const std::string& prefix, int& lockFd);
// Takes the lock of an existing private folder (the updater, for the folder it
// runs from); -1 when it is held by someone else or cannot be taken.
int LockPrivateFolder(const std::string& folder);
void ReleaseLock(int& lockFd);

// Removes the folders below `base` named as MakePrivateFolder names them (one of
// our prefixes and six letters or digits),
// that belong to this user and that no running process holds: what a crashed or
// killed run left behind. Returns how many were removed.
int RemoveStaleFolders(const std::string& base);

// The name of the updater's copy of `name` beside it, made when the new file
// lies on another file system: name + ".upd" + the updater's process number.
std::string UpdaterCopyName(const std::string& name, int pid);
// Removes from `folder` the copies an updater killed while copying left behind:
// only regular files of this user named exactly as UpdaterCopyName makes them,
// and only when that process is gone. Returns how many were removed.
int RemoveUpdaterLeftovers(const std::string& folder);

// The updater's note of what it could not put in place, for the next start.
void AddUpdaterNote(const std::string& line);
// The note's text ("" when there is none); the note is gone afterwards.
std::string TakeUpdaterNote();

}  // namespace NUpdate
