// Files an update writes. These bytes come from a server, so their paths
// follow no link in any component (stricter than the save rule for the user's
// own files), and every file is written beside its place, synced, renamed over
// it, and its folder synced after.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace archive {

// A folder opened by a walk from "/" that follows no link: every component is
// opened with O_NOFOLLOW. "." and ".." are taken lexically.
class TFolder {
public:
  TFolder() = default;
  ~TFolder();
  TFolder(const TFolder&) = delete;
  TFolder& operator=(const TFolder&) = delete;
  TFolder(TFolder&& other) noexcept;
  TFolder& operator=(TFolder&& other) noexcept;

  // `dir` absolute or relative to the current folder ("" is the current folder).
  // With `create` missing folders are made. False, with a reason, when a
  // component is a link or no folder, or cannot be opened or made.
  bool Open(const std::string& dir, bool create, std::string& error);
  int Fd() const { return fd_; }
  // The folder as opened (absolute, lexically normal, ends with "/").
  const std::string& Path() const { return path_; }

private:
  friend bool CheckPlaceable(const std::string& target, const struct TPlaceRule& rule, std::string& error);
  int fd_ = -1;
  std::string path_;
};

// Writes all of `data`, going on after interrupted writes.
bool WriteAll(int fd, const char* data, size_t size);

// What may be placed: a data-only placement never replaces a file with an
// execute bit and never gives one.
struct TPlaceRule {
  bool DataOnly = false;
};

// The mode a file placed as `name` in `folder` gets: the replaced regular
// file's, else 0666 less the umask; without execute bits under DataOnly. False
// with a reason when `name` is a link or no regular file, or when DataOnly and it
// has an execute bit.
bool PlacedMode(const TFolder& folder, const std::string& name, const TPlaceRule& rule, mode_t& mode,
                std::string& error);

// A new, empty temporary file in `folder` for `name` (created exclusively, no
// link followed); its descriptor, -1 with a reason on failure.
int CreateTempIn(const TFolder& folder, const std::string& name, std::string& tempName, std::string& error);

// Gives the open file `fd` (named `tempName` in `folder`) `mode`, syncs it,
// renames it over `name` and syncs the folder. Closes `fd`. On failure the
// temporary file is removed and `name` is as it was.
bool CommitIn(const TFolder& folder, int fd, const std::string& tempName, const std::string& name, mode_t mode,
              std::string& error);

// Puts the regular file `source` (not followed if a link; its folder is the
// caller's own and may be reached through links) in place of `target`:
// one rename when both are on one file system, else a synced copy beside the
// target renamed over it; `source` is gone afterwards. The folder of `target` is
// reached without links and synced after.
struct TPlaceSteps {
  // Called before the steps that change a file ("mode", "rename"); tests stop there as a kill would.
  std::function<void(const char* step, const std::string& file)> Before;
  // The copy beside the target ("": the target's name + ".part" + pid).
  std::string BesideName;
};
// False with a reason and the system's error number.
bool PlaceFile(const std::string& source, const std::string& target, const TPlaceRule& rule, std::string& error,
               const TPlaceSteps& steps = {}, int* errorNumber = nullptr);

// True when `target` could be placed under `rule` as things stand: no link in
// the part of its path that exists, and the file itself, if there, a regular
// file the rule lets be replaced. Nothing is made or written.
bool CheckPlaceable(const std::string& target, const TPlaceRule& rule, std::string& error);

// "dir/" and "name" of a path; the folder part is "" for a bare name.
void SplitPath(const std::string& path, std::string& folder, std::string& name);

// Tests watch the durable steps: "sync file", "rename", "sync folder", each with
// the final name. Null: nobody watches.
using TCommitObserver = std::function<void(const std::string& step, const std::string& name)>;
void SetCommitObserver(TCommitObserver observer);

}  // namespace archive
