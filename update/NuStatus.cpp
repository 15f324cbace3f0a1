#include "update/NuStatus.h"

#include <algorithm>
#include <iterator>

namespace NUpdate {

namespace {

struct TStatusEntry {
  int Number;
  const char* Text;
};

// Sorted by number.
constexpr TStatusEntry kTexts[] = {
    {909, "Download update file : "},
    {910, "Download update files ?"},
    {911, "Shutdown application to update executable files ?"},
    {912, "Equal source and target files : %s"},
    {913, "File not found : %s"},
    {914, "Zero length source file : %s"},
    {915, "Download : %s"},
    {916, "Http status : %s"},
    {917, "File not found : %s"},
    {918, "Checking for Internet connection"},
    {919, "Prompt to open new Internet connection"},
    {920, "Opening Internet connection"},
    {921, "Found open Internet connection"},
    {922, "Cannot open Internet connection"},
    {923, "Connect to host : %s"},
    {924, "Cannot connect to FTP host : %s"},
    {925, "Update control file not found"},
    {926, "Update control file found"},
    {927, "Invalid signature in update control file"},
    {928, "Date based update found"},
    {929, "New version found : %s"},
    {930, "No new version found"},
    {931, "Checksum based update found"},
    {932, "File size based update found"},
    {933, "Version based update found"},
    {934, "Found message instruction"},
    {935, "Found HTML dialog instruction"},
    {936, "Found query instruction"},
    {937, "Found whatsnew instruction"},
    {938, "Whatsnew not accepted"},
    {939, "Found license agreement instruction"},
    {940, "License agreement not accepted"},
    {941, "Found URL redirection instruction"},
    {942, "Found URL show instruction"},
    {943, "Found file update instruction"},
    {944, "Version check : %s"},
    {945, "Download update : %s"},
    {946, "Cannot download update file : %s"},
    {947, "Error decompressing CAB file : %s"},
    {948, "Finished processing update control file"},
    {949, "Closed Internet connection"},
    {950, "Failed to spawn updater process : %s"},
    {951, "Cannot connect to server for post"},
    {952, "Cannot access resource for post"},
    {953, "Dialup failed"},
    {954, "Closed FTP connection"},
    {955, "Disconnect dialup"},
    {956, "Authentication cancelled"},
    {957, "Authentication failed"},
    {958, "Spawn %s"},
    {959, "Restart app in directory : %s"},
    {960, "Threaded update execution done"},
    {961, "Restart after threaded update"},
    {962, "Found application component : %s"},
    // Our own: what bytes that came over plain http or ftp may not do, an https
    // transfer redirected to plain http, and a download stopped before it
    // could fill the disk.
    {966, "Refused, not fetched over https : %s"},
    {967, "Refused, an https transfer was redirected to plain http : %s"},
    {968, "Download stopped : %s"},
    {970, "Not a whole program for this machine : %s"},
};

}  // namespace

const char* StatusText(int number) {
  auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), number,
                             [](const TStatusEntry& e, int n) { return e.Number < n; });
  return it != std::end(kTexts) && it->Number == number ? it->Text : "";
}

std::string FormatStatus(int number, const std::string& param) {
  // Replaced literally: a parameter (a URL, a file name) may hold "%".
  std::string text = StatusText(number);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, param);
  return text;
}

std::string LogStamp(TDateTime now) { return FormatDateTime("dd'/'mm'/'yyyy hh':'nn':'ss", now); }

std::string LogLine(TDateTime now, int number, const std::string& text, int status, int error) {
  return LogStamp(now) + " : [" + std::to_string(number) + "] " +
         text + " (Status:" + std::to_string(status) + ") (Error:" + std::to_string(error) + ")";
}

bool WriteLog(const std::string& fileName, const std::string& line) {
  return AppendFileBytes(fileName, line + "\n", /*ownerOnly=*/true);
}

}  // namespace NUpdate
